// libFuzzer target: the tree file reader on arbitrary bytes, and writing back what it read.
#include "document/outlinefile.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "fuzz/fuzztarget.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstdint>

#include <unistd.h>

namespace {

QByteArray writeRecords(const std::vector<TreeFileRecord> &records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeTreeRecords(buffer, records);
    return buffer.data();
}

QByteArray writeTree(const OutlineModel &tree)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeTreeFile(buffer, tree);
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TreeFileContents contents = readTreeFile(reinterpret_cast<const char *>(data), qint64(size));

    // What the reader reports must agree with itself.
    require(contents.fileSize == qint64(size));
    require(contents.endOffset <= contents.fileSize);
    require(contents.recordsRead() <= std::max<qint64>(contents.announcedCount, 0));
    if (contents.complete) {
        require(contents.recordsRead() == std::max<qint64>(contents.announcedCount, 0));
        require(contents.damageOffset == -1);
    } else {
        require(contents.damageOffset >= 0 && contents.damageOffset <= contents.fileSize);
        require(!contents.damageReason.isEmpty());
    }
    qint64 bytes = contents.recordsRead() > 0 ? 4 : 0;
    for (const TreeFileRecord &record : contents.records) {
        require(record.caption.size() <= 255);
        require(record.category.size() <= 20);
        bytes += TreeFileRecordHeader + record.text.size();
    }
    require(bytes <= contents.fileSize);

    // Reading into shared buffers gives the same records as copying.
    {
        const TreeFileContents shared = readTreeFile(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
        require(shared.complete == contents.complete);
        require(shared.damageOffset == contents.damageOffset);
        require(shared.records.size() == contents.records.size());
        for (size_t i = 0; i < shared.records.size(); ++i) {
            require(shared.records[i].text == contents.records[i].text);
            require(shared.records[i].caption == contents.records[i].caption);
        }
    }

    // Read from a file, through the window and the shared text buffer, the same again.
    {
        static const QString path = QDir::tempPath() + QStringLiteral("/treefile_fuzz-%1.tre").arg(getpid());
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
        file.close();
        const TreeFileContents fromFile = readTreeFile(path);
        require(fromFile.complete == contents.complete);
        require(fromFile.damageOffset == contents.damageOffset);
        require(fromFile.damageReason == contents.damageReason);
        require(fromFile.endOffset == contents.endOffset);
        require(fromFile.records.size() == contents.records.size());
        for (size_t i = 0; i < fromFile.records.size(); ++i) {
            require(fromFile.records[i].text == contents.records[i].text);
            require(fromFile.records[i].caption == contents.records[i].caption);
            require(fromFile.records[i].category == contents.records[i].category);
            require(fromFile.records[i].level == contents.records[i].level);
        }
    }

    // Written back as read, the records read back identically.
    const QByteArray rewritten = writeRecords(contents.records);
    const TreeFileContents again = readTreeFile(rewritten);
    require(again.complete);
    require(again.records.size() == contents.records.size());
    for (size_t i = 0; i < again.records.size(); ++i) {
        require(again.records[i].caption == contents.records[i].caption);
        require(again.records[i].level == contents.records[i].level);
        require(again.records[i].category == contents.records[i].category);
        require(again.records[i].text == contents.records[i].text);
    }

    // Through the outline tree: the same shape; a text keeps its bytes up to a final line break, which is
    // saved as CR LF (and added when there is none). Saved again, the file is the same.
    if (contents.records.size() <= 300) {
        static OutlineModel tree;
        tree.clear();
        populateTree(tree, contents);
        const QByteArray first = writeTree(tree);
        const TreeFileContents saved = readTreeFile(first);
        require(saved.complete);
        require(saved.records.size() == contents.records.size());
        const std::vector<int> levels = placedLevels(contents.records);
        for (size_t i = 0; i < saved.records.size(); ++i) {
            const QByteArray &text = contents.records[i].text;
            const qsizetype cut = text.endsWith("\r\n") ? 2 : text.endsWith('\r') || text.endsWith('\n') ? 1 : 0;
            require(saved.records[i].level == levels[i]);
            require(saved.records[i].category == contents.records[i].category);
            require(saved.records[i].text == text.left(text.size() - cut) + "\r\n");
            require(saved.records[i].caption.size() == contents.records[i].caption.size());
        }
        tree.clear();
        populateTree(tree, saved);
        require(writeTree(tree) == first);
    }
    return 0;
}
