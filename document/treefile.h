// The tree file's codec: records to and from bytes, read in bulk, through a small window or one at a time.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

// File layout (all integers 32-bit little-endian):
//   Count, then Count records of 285 bytes plus the text:
//   caption length byte + 255 bytes, level, category length byte + 20 bytes, text length N, N text bytes.
constexpr int TreeFileCaptionField = 256;
constexpr int TreeFileCategoryField = 21;
constexpr int TreeFileRecordHeader = 285;

// One leaf as the file stores it; texts stay the file's bytes (captions and categories are Windows-1252).
struct TreeFileRecord
{
    QByteArray caption;   // at most 255 bytes
    qint32 level = 0;     // the stored level; placement decides the real one
    QByteArray category;  // at most 20 bytes
    QByteArray text;      // the whole text, line breaks included
};

// What a reading found: the complete records, and where and why it stopped early.
struct TreeFileContents
{
    std::vector<TreeFileRecord> records;  // every record read whole, in file order
    qint64 announcedCount = 0;            // the Count field (0 when the file is too short to hold it)
    bool complete = true;                 // Count read, not negative, and every announced record read whole
    qint64 damageOffset = -1;             // offset of the first record that could not be read whole, or -1
    QString damageReason;                 // why reading stopped there, empty when complete
    qint64 fileSize = 0;                  // bytes the file holds
    qint64 endOffset = 0;                 // offset just after the last complete record

    qint64 visited = 0;                   // records handed to a scan's visitor instead of kept

    qint64 recordsRead() const { return qint64(records.size()) + visited; }
};

// Reads a whole tree file from its bytes. Never throws for bad input: reading stops at the first record
// that cannot be read whole, which is dropped, and the stop is described in the result.
TreeFileContents readTreeFile(const QByteArray &bytes);
TreeFileContents readTreeFile(const char *data, qint64 size);
// Takes the buffer over: the records' texts share it instead of copying it. The buffer is freed when the
// last text of the file goes. Like raw data, a shared text is not followed by a zero byte.
TreeFileContents readTreeFile(QByteArray &&bytes);

// Reads the file at path in bulk, in two steps: opening reads the record fields through a small window;
// readTexts() then reads every text byte in one read whose buffer the texts share. Whoever holds an old
// outline can let it go between the steps, so that the old and the new texts are never held at once.
// Only a regular file is read, and at most its size.
class TreeFileReading
{
public:
    // Throws FileError("Cannot open file %1") when the file cannot be opened or is no regular file.
    explicit TreeFileReading(const QString &path);
    ~TreeFileReading();
    TreeFileReading(const TreeFileReading &) = delete;
    TreeFileReading &operator=(const TreeFileReading &) = delete;

    // The records with their texts. Throws FileError("Cannot open file %1") when the file shrank or
    // cannot be read after its fields were. Call once.
    TreeFileContents readTexts();

private:
    struct Spans;
    QString path_;
    QFile file_;
    TreeFileContents contents_;
    std::unique_ptr<Spans> spans_;
};
// Both steps at once.
TreeFileContents readTreeFile(const QString &path);

// Reads the file at path one record at a time: each record is handed to visit and dropped, so memory
// stays that of one record whatever the file's size. Without texts, no text byte is read and every
// record's text is empty. The result describes the reading and keeps no records. Throws as readTreeFile.
TreeFileContents scanTreeFile(const QString &path, bool withTexts, const std::function<void(TreeFileRecord &)> &visit);

// The warning shown after a short or damaged file was loaded: names the file, how many leaves were read of
// how many it announced, and where and why reading stopped. Empty when the file was read whole.
QString treeFileWarning(const QString &fileName, const TreeFileContents &contents);

// Writes records one after another, gathering the bytes into large blocks. name is used in error
// messages; when empty the device's file name is used. Every write of the device is checked: a refused
// one throws FileError("Cannot write file %1: %2").
class TreeFileWriter
{
public:
    TreeFileWriter(QIODevice &out, const QString &name);
    TreeFileWriter(const TreeFileWriter &) = delete;
    TreeFileWriter &operator=(const TreeFileWriter &) = delete;

    const QString &name() const { return name_; }
    void writeCount(std::size_t count);
    // The fixed part of a record; textLength bytes of text must follow through writeText.
    void writeHeader(const QByteArray &caption, qint32 level, const QByteArray &category, qint32 textLength);
    void writeText(const char *data, qsizetype size);
    // Writes what is still gathered.
    void finish();

private:
    QIODevice &out_;
    QString name_;
    QByteArray buffer_;
};

// Writes records as they stand (levels as stored); used where no outline exists.
void writeTreeRecords(QIODevice &out, const std::vector<TreeFileRecord> &records, const QString &name = QString());
// Saves records at path as fileaccess::saveAtomically saves.
void saveTreeRecords(const QString &path, const std::vector<TreeFileRecord> &records);
