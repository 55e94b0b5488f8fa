// The tree file's codec: records to and from bytes, read in bulk, through a small window or one at a time.
#include "document/treefile.h"

#include "text/errors.h"
#include "text/fileaccess.h"
#include "document/tvclasses.h"

#include <QFile>
#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// Output is gathered into blocks of this size.
constexpr qsizetype BlockSize = 1 << 20;

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
        const auto *p = reinterpret_cast<const unsigned char *>(remaining() >= 4 ? source_.at(pos_, 4) : nullptr);
        if (p == nullptr) {
            return false;
        }
        const quint32 u = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
        value = qint32(u);
        pos_ += 4;
        return true;
    }

    // A fixed field of width bytes: the length byte, then the characters. Returns the first
    // min(length, width - 1) characters, up to a zero byte among them.
    bool readShortString(int width, QByteArray &text)
    {
        const char *p = remaining() >= width ? source_.at(pos_, width) : nullptr;
        if (p == nullptr) {
            return false;
        }
        // A length byte past the text (written by other programs) would take in the zero padding: the text
        // ends at the first zero byte.
        const int length = std::min(int(static_cast<unsigned char>(p[0])), width - 1);
        const void *zero = std::memchr(p + 1, 0, size_t(length));
        text = QByteArray(p + 1, zero ? int(static_cast<const char *>(zero) - (p + 1)) : length);
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
    if (count < 0) {
        // No writer stores a count below zero: the file is damaged from its first byte on.
        contents.complete = false;
        contents.damageOffset = 0;
        contents.damageReason = QStringLiteral("the record count is negative (%1)").arg(count);
        return contents;
    }
    if (count == 0) {
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

struct TreeFileReading::Spans
{
    std::vector<FileWindowSource::Span> list;
};

TreeFileReading::TreeFileReading(const QString &path) : path_(path), spans_(std::make_unique<Spans>())
{
    fileaccess::openRegularFile(file_, path);
    // First the record fields through a small window; the texts are noted by place. The bytes stay those
    // of the file opened here, even if it is replaced meanwhile.
    FileWindowSource source(file_, file_.size());
    contents_ = parseTreeFile(source);
    if (source.failed()) {
        throw FileError(QStringLiteral("Cannot open file %1").arg(path));
    }
    spans_->list = std::move(source.spans);
}

TreeFileReading::~TreeFileReading() = default;

TreeFileContents TreeFileReading::readTexts()
{
    const std::vector<FileWindowSource::Span> &spans = spans_->list;
    if (!file_.seek(0)) {
        throw FileError(QStringLiteral("Cannot open file %1").arg(path_));
    }
    QByteArray whole = readWhole(file_, path_, contents_.endOffset);
    if (file_.error() != QFileDevice::NoError || whole.size() != contents_.endOffset) {
        // The file shrank or could not be read after its fields were.
        throw FileError(QStringLiteral("Cannot open file %1").arg(path_));
    }
    // Records follow each other directly; one whose text length was 0 or less has no span.
    size_t span = 0;
    qint64 textOffset = 4 + TreeFileRecordHeader;
    for (TreeFileRecord &record : contents_.records) {
        if (span < spans.size() && spans[span].offset == textOffset) {
            record.text = sharedSlice(whole, textOffset, spans[span].count);
            textOffset += spans[span].count;
            ++span;
        }
        textOffset += TreeFileRecordHeader;
    }
    return std::move(contents_);
}

TreeFileContents readTreeFile(const QString &path)
{
    return TreeFileReading(path).readTexts();
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

TreeFileWriter::TreeFileWriter(QIODevice &out, const QString &name) : out_(out), name_(deviceName(out, name))
{
    buffer_.reserve(BlockSize);
}

void TreeFileWriter::writeCount(std::size_t count)
{
    if (count > std::size_t(std::numeric_limits<qint32>::max())) {
        throw FileError(QStringLiteral("Cannot write file %1: too many leaves for a tree file").arg(name_));
    }
    char bytes[4];
    putInt32(bytes, qint32(count));
    writeText(bytes, 4);
}

void TreeFileWriter::writeHeader(const QByteArray &caption, qint32 level, const QByteArray &category,
                                 qint32 textLength)
{
    char header[TreeFileRecordHeader];
    fillRecordHeader(header, caption, level, category, textLength);
    writeText(header, TreeFileRecordHeader);
}

void TreeFileWriter::writeText(const char *data, qsizetype size)
{
    if (buffer_.size() + size > BlockSize) {
        finish();
    }
    if (size >= BlockSize) {
        fileaccess::writeAll(out_, data, size, name_);
        return;
    }
    buffer_.append(data, size);
}

void TreeFileWriter::finish()
{
    if (!buffer_.isEmpty()) {
        fileaccess::writeAll(out_, buffer_.constData(), buffer_.size(), name_);
        buffer_.resize(0);
    }
}

void writeTreeRecords(QIODevice &out, const std::vector<TreeFileRecord> &records, const QString &name)
{
    TreeFileWriter writer(out, name);
    writer.writeCount(records.size());
    for (const TreeFileRecord &record : records) {
        if (record.text.size() > std::numeric_limits<qint32>::max()) {
            throw FileError(
                QStringLiteral("Cannot write file %1: a text is too long for a tree file").arg(writer.name()));
        }
        writer.writeHeader(record.caption, record.level, record.category, qint32(record.text.size()));
        writer.writeText(record.text.constData(), record.text.size());
    }
    writer.finish();
}

void saveTreeRecords(const QString &path, const std::vector<TreeFileRecord> &records)
{
    fileaccess::saveAtomically(path, [&](QIODevice &out) { writeTreeRecords(out, records, path); });
}
