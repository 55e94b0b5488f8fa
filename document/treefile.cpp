// The tree file: reading it into records and an outline tree, and writing an outline back, byte for byte.
#include "document/treefile.h"

#include "text/encoding.h"
#include "text/errors.h"
#include "text/fileaccess.h"
#include "document/leafitem.h"
#include "document/outlinemodel.h"
#include "document/tvclasses.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// A QByteArray over part of the owner's buffer, holding a reference to it: the buffer lives as long as
// any text of the file does. Writing to a text detaches it as usual. Like raw data, a shared text is not
// followed by a zero byte.
QByteArray sharedSlice(QByteArray &owner, qint64 offset, qint32 count)
{
    QByteArray::DataPointer &whole = owner.data_ptr();
    whole.d_ptr()->ref();
    return QByteArray(QByteArray::DataPointer(whole.d_ptr(), whole.data() + offset, count));
}

// The whole of a file in one buffer. A large buffer asks for huge pages first: filling hundreds of
// megabytes page by page costs more than reading them. An empty result with an error means failure.
QByteArray readWhole(QFile &file, const QString &path, qint64 size)
{
    QByteArray bytes = fileaccess::allocateFor(path, size);
#ifdef __linux__
    constexpr std::uintptr_t HugePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t last = (start + std::uintptr_t(size)) & ~(HugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got <= 0) {
            return QByteArray();
        }
        done += got;
    }
    return bytes;
}

// Where the reader's bytes come from.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Points at n bytes (at most 512) at offset; the caller has checked they lie inside the size.
    // Null when they cannot be read.
    virtual const char *at(qint64 offset, int n) = 0;
    // The text of count bytes at offset, inside the size.
    virtual QByteArray text(qint64 offset, qint32 count) = 0;
};

// Bytes in memory; texts are copied, or shared when the buffer is owned.
class MemorySource : public ByteSource
{
public:
    MemorySource(const char *data, qint64 size, QByteArray *owner) : data_(data), size_(size), owner_(owner) {}
    qint64 size() const override { return size_; }
    const char *at(qint64 offset, int) override { return data_ + offset; }
    QByteArray text(qint64 offset, qint32 count) override
    {
        return owner_ != nullptr ? sharedSlice(*owner_, offset, count) : QByteArray(data_ + offset, count);
    }

private:
    const char *data_;
    qint64 size_;
    QByteArray *owner_;
};

// The file itself, read through one small window, for the record fields only: the texts are noted
// by place and read later in one piece, so the program never walks over the text bytes itself.
class FileWindowSource : public ByteSource
{
public:
    static constexpr qint64 WindowSize = 1 << 20;

    // What becomes of the texts: noted by place for one read later, read one at a time, or skipped.
    enum class Texts { NoteSpans, ReadEach, Skip };

    FileWindowSource(QFile &file, qint64 size, Texts texts = Texts::NoteSpans)
        : file_(file), size_(size), texts_(texts)
    {
        window_.resize(WindowSize);
    }
    qint64 size() const override { return size_; }
    const char *at(qint64 offset, int n) override
    {
        if (offset < windowStart_ || offset + n > windowStart_ + windowFill_) {
            windowStart_ = offset;
            windowFill_ = 0;
            if (!file_.seek(offset)) {
                failed_ = true;
                return nullptr;
            }
            const qint64 got = file_.read(window_.data(), std::min(WindowSize, size_ - offset));
            if (got < n) {
                failed_ = true;
                return nullptr;
            }
            windowFill_ = got;
        }
        return window_.constData() + (offset - windowStart_);
    }
    QByteArray text(qint64 offset, qint32 count) override
    {
        if (texts_ == Texts::NoteSpans) {
            spans.push_back({offset, count});
        } else if (texts_ == Texts::ReadEach) {
            // The count lies inside the file's size, so the buffer never exceeds what the file holds.
            QByteArray bytes(count, Qt::Uninitialized);
            if (!file_.seek(offset) || file_.read(bytes.data(), count) != count) {
                failed_ = true;
                return QByteArray();
            }
            return bytes;
        }
        return QByteArray();
    }

    struct Span
    {
        qint64 offset;
        qint32 count;
    };
    std::vector<Span> spans;  // one per text read, in record order
    bool failed() const { return failed_; }

private:
    QFile &file_;
    qint64 size_;
    Texts texts_;
    QByteArray window_;
    qint64 windowStart_ = 0;
    qint64 windowFill_ = 0;
    bool failed_ = false;
};

// Pulls the file's fields from a source. Every read checks what is left first, so a length taken from
// the file never makes it allocate more than the file holds.
class TreeFileReader
{
public:
    explicit TreeFileReader(ByteSource &source) : source_(source), size_(source.size()) {}

    qint64 pos() const { return pos_; }
    qint64 remaining() const { return size_ - pos_; }

    bool readInt32(qint32 &value)
    {
        if (remaining() < 4) {
            return false;
        }
        const auto *p = reinterpret_cast<const unsigned char *>(source_.at(pos_, 4));
        if (p == nullptr) {
            return false;
        }
        const quint32 u = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
        value = qint32(u);
        pos_ += 4;
        return true;
    }

    // A fixed field of width bytes: the length byte, then the characters. Returns the first
    // min(length, width - 1) characters; the padding after them is never looked at.
    bool readShortString(int width, QByteArray &text)
    {
        if (remaining() < width) {
            return false;
        }
        const char *p = source_.at(pos_, width);
        if (p == nullptr) {
            return false;
        }
        const int length = std::min(int(static_cast<unsigned char>(p[0])), width - 1);
        text = QByteArray(p + 1, length);
        pos_ += width;
        return true;
    }

    // The text of a record: count bytes; a count of 0 or less reads nothing.
    bool ReadNoteChars(qint32 count, QByteArray &text)
    {
        if (count <= 0) {
            text.clear();
            return true;
        }
        if (remaining() < count) {
            return false;
        }
        text = source_.text(pos_, count);
        pos_ += count;
        return true;
    }

private:
    ByteSource &source_;
    qint64 size_;
    qint64 pos_ = 0;
};

QString shortReason(qint64 index, qint64 count, const char *field, qint64 needed, qint64 left)
{
    return QStringLiteral("record %1 of %2 ends inside its %3 (%4 bytes needed, %5 left)")
        .arg(index + 1)
        .arg(count)
        .arg(QLatin1String(field))
        .arg(needed)
        .arg(left);
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Windows-1252 agrees with ASCII below 0x80; the converter is only needed for the rest.
QString decodeCaption(const QByteArray &bytes)
{
    return isAscii(bytes) ? QString::fromLatin1(bytes) : encoding::fromCp1252(bytes);
}

QByteArray encodeCaption(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    QByteArray bytes = ascii ? text.toLatin1() : encoding::toCp1252(text);
    bytes.truncate(MaxCaptionBytes);
    return bytes;
}

void putInt32(char *p, qint32 value)
{
    const auto u = quint32(value);
    p[0] = char(u & 0xff);
    p[1] = char((u >> 8) & 0xff);
    p[2] = char((u >> 16) & 0xff);
    p[3] = char((u >> 24) & 0xff);
}

// The fixed 285 bytes before a record's text; padding bytes are zero.
void fillRecordHeader(char *header, const QByteArray &caption, qint32 level, const QByteArray &category,
                      qint32 textLength)
{
    std::memset(header, 0, TreeFileRecordHeader);
    const int captionLength = int(std::min<qsizetype>(caption.size(), MaxCaptionBytes));
    header[0] = char(captionLength);
    std::memcpy(header + 1, caption.constData(), size_t(captionLength));
    putInt32(header + TreeFileCaptionField, level);
    char *cat = header + TreeFileCaptionField + 4;
    const int categoryLength = int(std::min<qsizetype>(category.size(), MaxCategoryBytes));
    cat[0] = char(categoryLength);
    std::memcpy(cat + 1, category.constData(), size_t(categoryLength));
    putInt32(cat + TreeFileCategoryField, textLength);
}

// Gathers output into large blocks and checks every write of the device.
class ChunkWriter
{
public:
    static constexpr qsizetype BlockSize = 1 << 20;

    ChunkWriter(QIODevice &out, QString name) : out_(out), name_(std::move(name)) { buffer_.reserve(BlockSize); }

    void append(const char *data, qsizetype size)
    {
        if (buffer_.size() + size > BlockSize) {
            flush();
        }
        if (size >= BlockSize) {
            writeThrough(data, size);
            return;
        }
        buffer_.append(data, size);
    }
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }

    void flush()
    {
        if (!buffer_.isEmpty()) {
            writeThrough(buffer_.constData(), buffer_.size());
            buffer_.resize(0);
        }
    }

private:
    void writeThrough(const char *data, qsizetype size)
    {
        qsizetype done = 0;
        while (done < size) {
            const qint64 n = out_.write(data + done, size - done);
            if (n <= 0) {
                QString reason = out_.errorString();
                if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
                    reason = QStringLiteral("the device accepted no more bytes");
                }
                throw FileError(QStringLiteral("Cannot write file %1: %2").arg(name_, reason));
            }
            done += n;
        }
    }

    QIODevice &out_;
    QString name_;
    QByteArray buffer_;
};

QString deviceName(const QIODevice &out, const QString &name)
{
    if (!name.isEmpty()) {
        return name;
    }
    if (const auto *file = qobject_cast<const QFileDevice *>(&out)) {
        if (!file->fileName().isEmpty()) {
            return file->fileName();
        }
    }
    return QStringLiteral("(tree file)");
}

void writeCount(ChunkWriter &writer, const QString &name, std::size_t count)
{
    if (count > std::size_t(std::numeric_limits<qint32>::max())) {
        throw FileError(QStringLiteral("Cannot write file %1: too many leaves for a tree file").arg(name));
    }
    char bytes[4];
    putInt32(bytes, qint32(count));
    writer.append(bytes, 4);
}

struct PlacedItem
{
    const OutlineItem *item;
    int level;
};

// Every node in display order with its level: a node, then the subtrees of its children in order.
std::vector<PlacedItem> displayOrder(const OutlineModel &tree)
{
    std::vector<PlacedItem> order;
    std::vector<PlacedItem> stack;
    const int tops = tree.topLevelItemCount();
    for (int i = tops - 1; i >= 0; --i) {
        stack.push_back({tree.topLevelItem(i), 0});
    }
    while (!stack.empty()) {
        const PlacedItem placed = stack.back();
        stack.pop_back();
        order.push_back(placed);
        for (int i = placed.item->childCount() - 1; i >= 0; --i) {
            stack.push_back({placed.item->child(i), placed.level + 1});
        }
    }
    return order;
}

template <typename Write>
void saveThrough(const QString &path, Write write)
{
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !info.isWritable())) {
        throw FileError(QStringLiteral("Cannot create file %1").arg(path));
    }
    // Unbuffered, so that a full disk shows at write() and not as an empty committed file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw FileError(QStringLiteral("Cannot create file %1").arg(path));
    }
    try {
        write(file);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    // The reason must be read before commit(), which resets it.
    QString reason = file.errorString();
    if (!file.commit()) {
        if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
            reason = QStringLiteral("the finished file could not be put in place of the old one");
        }
        throw FileError(QStringLiteral("Cannot write file %1: %2").arg(path, reason));
    }
}

} // namespace

namespace {

// With visit, each record is handed over and dropped instead of kept, so memory stays that of one record.
TreeFileContents parseTreeFile(ByteSource &source, const std::function<void(TreeFileRecord &)> &visit = {})
{
    const qint64 size = source.size();
    TreeFileContents contents;
    contents.fileSize = size;
    TreeFileReader reader(source);

    qint32 count = 0;
    if (!reader.readInt32(count)) {
        contents.complete = false;
        contents.damageOffset = 0;
        contents.damageReason = QStringLiteral("the file ends before its 4-byte record count (%1 bytes)").arg(size);
        return contents;
    }
    contents.announcedCount = count;
    contents.endOffset = reader.pos();
    if (count <= 0) {
        return contents;
    }
    // Never reserve more records than the bytes left could hold.
    if (!visit) {
        contents.records.reserve(size_t(std::min<qint64>(count, reader.remaining() / TreeFileRecordHeader)));
    }

    for (qint64 i = 0; i < count; ++i) {
        const qint64 start = reader.pos();
        TreeFileRecord record;
        const char *failedField = nullptr;
        qint64 needed = 0;
        qint64 left = 0;
        qint32 textLength = 0;
        if (!reader.readShortString(TreeFileCaptionField, record.caption)) {
            failedField = "caption";
            needed = TreeFileCaptionField;
        } else if (!reader.readInt32(record.level)) {
            failedField = "level";
            needed = 4;
        } else if (!reader.readShortString(TreeFileCategoryField, record.category)) {
            failedField = "category";
            needed = TreeFileCategoryField;
        } else if (!reader.readInt32(textLength)) {
            failedField = "text length";
            needed = 4;
        } else if (!reader.ReadNoteChars(textLength, record.text)) {
            failedField = "text";
            needed = textLength;
        }
        if (failedField != nullptr) {
            left = reader.remaining();
            contents.complete = false;
            contents.damageOffset = start;
            contents.damageReason = start == size ? QStringLiteral("the file ends after %1 of %2 records").arg(i).arg(count)
                                                  : shortReason(i, count, failedField, needed, left);
            return contents;
        }
        if (visit) {
            visit(record);
            ++contents.visited;
        } else {
            contents.records.push_back(std::move(record));
        }
        contents.endOffset = reader.pos();
    }
    return contents;
}

} // namespace

TreeFileContents readTreeFile(const char *data, qint64 size)
{
    MemorySource source(data, size, nullptr);
    return parseTreeFile(source);
}

TreeFileContents readTreeFile(const QByteArray &bytes)
{
    return readTreeFile(bytes.constData(), bytes.size());
}

TreeFileContents readTreeFile(QByteArray &&bytes)
{
    QByteArray owned = std::move(bytes);
    // Owned alone from here on: the texts share this one buffer.
    const char *data = owned.data();
    MemorySource source(data, owned.size(), &owned);
    return parseTreeFile(source);
}

TreeFileContents readTreeFile(const QString &path, const std::function<void()> &beforeTexts)
{
    QFile file;
    fileaccess::openRegularFile(file, path);
    // First the record fields through a small window, then all text bytes in one read that the
    // texts share. The bytes stay those of the file opened here, even if it is replaced meanwhile.
    FileWindowSource source(file, file.size());
    TreeFileContents contents = parseTreeFile(source);
    if (source.failed() || !file.seek(0)) {
        throw FileError(QStringLiteral("Cannot open file %1").arg(path));
    }
    if (beforeTexts) {
        beforeTexts();
    }
    QByteArray whole = readWhole(file, path, contents.endOffset);
    if (file.error() != QFileDevice::NoError || whole.size() != contents.endOffset) {
        // The file shrank or could not be read after its fields were.
        throw FileError(QStringLiteral("Cannot open file %1").arg(path));
    }
    // Records follow each other directly; one whose text length was 0 or less has no span.
    size_t span = 0;
    qint64 textOffset = 4 + TreeFileRecordHeader;
    for (TreeFileRecord &record : contents.records) {
        if (span < source.spans.size() && source.spans[span].offset == textOffset) {
            record.text = sharedSlice(whole, textOffset, source.spans[span].count);
            textOffset += source.spans[span].count;
            ++span;
        }
        textOffset += TreeFileRecordHeader;
    }
    return contents;
}

TreeFileContents scanTreeFile(const QString &path, bool withTexts, const std::function<void(TreeFileRecord &)> &visit)
{
    QFile file;
    fileaccess::openRegularFile(file, path);
    FileWindowSource source(file, file.size(),
                            withTexts ? FileWindowSource::Texts::ReadEach : FileWindowSource::Texts::Skip);
    TreeFileContents contents = parseTreeFile(source, visit);
    if (source.failed()) {
        throw FileError(QStringLiteral("Cannot open file %1").arg(path));
    }
    return contents;
}

QString treeFileWarning(const QString &fileName, const TreeFileContents &contents)
{
    if (contents.complete) {
        return QString();
    }
    return QStringLiteral("%1: read %2 of %3 leaves; the file is damaged or incomplete at byte %4: %5")
        .arg(fileName)
        .arg(contents.recordsRead())
        .arg(std::max<qint64>(contents.announcedCount, 0))
        .arg(contents.damageOffset)
        .arg(contents.damageReason);
}

int AttachLoadedLeaf(int previousLevel, qint32 storedLevel)
{
    if (previousLevel < 0) {
        return 0;
    }
    if (storedLevel > previousLevel) {
        return previousLevel + 1;
    }
    // Climbing stops at the first ancestor whose level is not above the stored level; a negative
    // level climbs past the top and lands there.
    return std::max<qint32>(storedLevel, 0);
}

std::vector<int> placedLevels(const std::vector<TreeFileRecord> &records)
{
    std::vector<int> levels;
    levels.reserve(records.size());
    int previous = -1;
    for (const TreeFileRecord &record : records) {
        previous = AttachLoadedLeaf(previous, record.level);
        levels.push_back(previous);
    }
    return levels;
}

void populateTree(OutlineModel &tree, const TreeFileContents &contents)
{
    const std::vector<TreeFileRecord> &records = contents.records;
    if (records.empty()) {
        return;
    }
    const std::vector<int> levels = placedLevels(records);

    // Children are gathered per parent and attached in one call each, before their parent joins the
    // tree, so the view hears of the whole outline once.
    struct Open
    {
        OutlineItem *item;
        QList<OutlineItem *> children;
    };
    std::vector<Open> path;
    QList<OutlineItem *> tops;
    // Whether some parent lies too deep to be opened.
    bool tooDeep = false;
    auto closeDeepest = [&path, &tooDeep] {
        Open &open = path.back();
        if (!open.children.isEmpty()) {
            open.item->addChildren(open.children);
            tooDeep = tooDeep || int(path.size()) > OutlineModel::MaxOpenDepth;
        }
        path.pop_back();
    };

    for (std::size_t i = 0; i < records.size(); ++i) {
        const TreeFileRecord &stored = records[i];
        const int level = levels[i];
        while (int(path.size()) > level) {
            closeDeepest();
        }
        auto record = std::make_shared<noteob>();
        record->Notes.append(stored.text);
        record->setCategory(stored.category);
        auto *item = new LeafItem(std::move(record), decodeCaption(stored.caption));
        if (level == 0) {
            tops.append(item);
        } else {
            path.back().children.append(item);
        }
        path.push_back({item, {}});
    }
    while (!path.empty()) {
        closeDeepest();
    }

    tree.addTopLevelItems(tops);
    if (!tooDeep) {
        tree.expandAll();
    } else {
        // A view lays out open nodes recursively: a chain of tens of thousands of open nodes would
        // exhaust the stack. It lays out once, later, so each node only notes its expansion here.
        std::vector<std::pair<OutlineItem *, int>> stack;
        for (OutlineItem *top : tops) {
            stack.emplace_back(top, 0);
        }
        while (!stack.empty()) {
            const auto [node, level] = stack.back();
            stack.pop_back();
            if (node->childCount() == 0 || level >= OutlineModel::MaxOpenDepth) {
                continue;
            }
            node->setExpanded(true);
            for (int i = 0; i < node->childCount(); ++i) {
                stack.emplace_back(node->child(i), level + 1);
            }
        }
    }
}

void writeTreeFile(QIODevice &out, const OutlineModel &tree, const QString &name)
{
    const QString fileName = deviceName(out, name);
    const std::vector<PlacedItem> order = displayOrder(tree);
    ChunkWriter writer(out, fileName);
    writeCount(writer, fileName, order.size());

    const noteob blank;
    char header[TreeFileRecordHeader];
    for (const PlacedItem &placed : order) {
        const NoteRef ref = recordOf(placed.item);
        const noteob &record = ref ? *ref : blank;
        // The text is every entry followed by CR LF, the last one included.
        qint64 textLength = 0;
        for (const QByteArray &line : record.Notes) {
            textLength += line.size() + 2;
        }
        if (textLength > std::numeric_limits<qint32>::max()) {
            throw FileError(
                QStringLiteral("Cannot write file %1: the text of leaf \"%2\" is too long for a tree file")
                    .arg(fileName, placed.item->text(0)));
        }
        fillRecordHeader(header, encodeCaption(placed.item->text(0)), placed.level, record.Category(),
                         qint32(textLength));
        writer.append(header, TreeFileRecordHeader);
        for (const QByteArray &line : record.Notes) {
            writer.append(line);
            writer.append("\r\n", 2);
        }
    }
    writer.flush();
}

void writeTreeRecords(QIODevice &out, const std::vector<TreeFileRecord> &records, const QString &name)
{
    const QString fileName = deviceName(out, name);
    ChunkWriter writer(out, fileName);
    writeCount(writer, fileName, records.size());
    char header[TreeFileRecordHeader];
    for (const TreeFileRecord &record : records) {
        if (record.text.size() > std::numeric_limits<qint32>::max()) {
            throw FileError(QStringLiteral("Cannot write file %1: a text is too long for a tree file").arg(fileName));
        }
        fillRecordHeader(header, record.caption, record.level, record.category, qint32(record.text.size()));
        writer.append(header, TreeFileRecordHeader);
        writer.append(record.text);
    }
    writer.flush();
}

void saveTreeFile(const QString &path, const OutlineModel &tree)
{
    saveThrough(path, [&](QIODevice &out) { writeTreeFile(out, tree, path); });
}

void saveTreeRecords(const QString &path, const std::vector<TreeFileRecord> &records)
{
    saveThrough(path, [&](QIODevice &out) { writeTreeRecords(out, records, path); });
}
