// The tree file: reading it into records and an outline tree, and writing an outline back, byte for byte.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class QIODevice;
class OutlineModel;

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
    QByteArray text;      // the whole text, line breaks included (one Notes entry)
};

// What a reading found: the complete records, and where and why it stopped early.
struct TreeFileContents
{
    std::vector<TreeFileRecord> records;  // every record read whole, in file order
    qint64 announcedCount = 0;            // the Count field (0 when the file is too short to hold it)
    bool complete = true;                 // Count read and every announced record read whole
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
// Reads the file at path in bulk: the record fields through a small window, then every text byte in one
// read whose buffer the texts share. Only a regular file is read, and at most its size. Throws
// FileError("Cannot open file %1") when it cannot be opened or is no regular file.
// beforeTexts, when given, runs once when the file has been opened and its record fields read,
// before memory is taken for the texts: a window lets its old outline go there, so that the old
// and the new texts are never held at once. It does not run when the file cannot be opened.
TreeFileContents readTreeFile(const QString &path, const std::function<void()> &beforeTexts = {});
// Reads the file at path one record at a time: each record is handed to visit and dropped, so memory
// stays that of one record whatever the file's size. Without texts, no text byte is read and every
// record's text is empty. The result describes the reading and keeps no records. Throws as readTreeFile.
TreeFileContents scanTreeFile(const QString &path, bool withTexts, const std::function<void(TreeFileRecord &)> &visit);
inline TreeFileContents readTreeFileAt(const QString &path)
{
    return readTreeFile(path);
}

// The warning shown after a short or damaged file was loaded: names the file, how many leaves were read of
// how many it announced, and where and why reading stopped. Empty when the file was read whole.
QString treeFileWarning(const QString &fileName, const TreeFileContents &contents);

// The placement rule of a loaded leaf: the level the new node gets, given the level of the node placed
// before it (-1 for the first record) and the stored level. The first record goes to the top level;
// a deeper record becomes the last child of the previous node (exactly one level deeper); otherwise the
// node climbs while its stored level is smaller, then becomes the last sibling; a negative level that
// climbs past the top is placed at the top level.
int AttachLoadedLeaf(int previousLevel, qint32 storedLevel);

// The levels that placement gives the records, in file (= display) order.
std::vector<int> placedLevels(const std::vector<TreeFileRecord> &records);

// Builds the outline from the records: one LeafItem per record, appended after the tree's existing
// top-level items (the window clears the tree first), every node expanded down to the tree's
// OutlineModel::MaxOpenDepth; deeper nodes stay collapsed. Record Notes hold one entry
// with the whole text; captions are decoded from Windows-1252. Selects nothing, fills no other view.
void populateTree(OutlineModel &tree, const TreeFileContents &contents);

// Writes the outline in display order (every node, expanded or not). name is used in error messages;
// when empty the device's file name is used. Throws FileError("Cannot write file %1: %2") when the
// device refuses a write.
void writeTreeFile(QIODevice &out, const OutlineModel &tree, const QString &name = QString());
// Writes records as they stand (levels as stored); used where no widget tree exists.
void writeTreeRecords(QIODevice &out, const std::vector<TreeFileRecord> &records, const QString &name = QString());

// Saves the outline at path through a temporary file beside it, put in place only when complete, so a
// failed save leaves the old file intact. Throws FileError("Cannot create file %1") when the file cannot
// be created and FileError("Cannot write file %1: %2") when writing or putting it in place fails.
void saveTreeFile(const QString &path, const OutlineModel &tree);
void saveTreeRecords(const QString &path, const std::vector<TreeFileRecord> &records);
