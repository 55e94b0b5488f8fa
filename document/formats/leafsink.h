// What every outline reader shares: the leaves it finds, kept as the tree file stores them, the warnings the
// file's limits give, and the error of a source that cannot be read.
#pragma once

#include "document/treefile.h"
#include "text/errors.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QTextDocument;

namespace formats {

// A nesting deeper than this is refused: no outline a person keeps is so deep, and a source that claims it
// is more likely damaged or hostile than real.
constexpr int MaxImportDepth = 1000;

// Called now and then with the bytes done and the source's size; returns false to cancel.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// A source that cannot be read as an outline of its kind. The message says where (line and column, or the
// byte offset) and why; offset is the byte offset when known, or -1.
class ImportError : public FormatError
{
public:
    explicit ImportError(QString message, qint64 offset = -1);
};

// The user cancelled a long import or export; nothing was replaced or written.
class Cancelled : public AppError
{
public:
    Cancelled();
};

// What the tree file's limits did to the leaves: each count is of leaves.
struct ImportWarnings
{
    int captionsCut = 0;       // caption longer than 255 bytes of Windows-1252
    int captionsLossy = 0;     // caption held characters Windows-1252 cannot, written as "?"
    int categoriesCut = 0;     // category longer than 20 bytes
    int categoriesLossy = 0;   // category held characters Windows-1252 cannot

    bool isEmpty() const;
    // One sentence per kind of loss, for standard error or a message box.
    QStringList lines() const;
};

// The leaves a reader finds, in display order, kept as tree-file records: captions and categories in
// Windows-1252 within the file's limits, texts as the RTF the editor saves.
class LeafSink
{
public:
    // progress (may be empty) hears of offsets given to addLeaf, against total, every few leaves.
    explicit LeafSink(qint64 total = 0, Progress progress = {});
    ~LeafSink();
    LeafSink(LeafSink &&) noexcept;
    LeafSink &operator=(LeafSink &&) noexcept;

    // Adds a leaf at level (0 at the top; at most one deeper than the leaf before it). An empty category
    // means "Unknown". sourceOffset is how far into the source the reader is (for progress), or -1.
    // The document form writes text as RTF; a null document or an empty one gives an empty text.
    void addLeaf(int level, const QString &caption, const QString &category, const QTextDocument *text,
                 qint64 sourceOffset = -1);
    void addLeaf(int level, const QString &caption, const QString &category, QByteArray rtf,
                 qint64 sourceOffset = -1);

    // A leaf whose text is plain, stored as a document holding it would be saved, without building one.
    void addPlainLeaf(int level, const QString &caption, const QString &category, const QString &text,
                      qint64 sourceOffset = -1);

    // Throws Cancelled when progress says so; readers may call it between leaves too.
    void reportProgress(qint64 sourceOffset);

    const std::vector<TreeFileRecord> &records() const { return records_; }
    std::vector<TreeFileRecord> takeRecords() { return std::move(records_); }
    const ImportWarnings &warnings() const { return warnings_; }
    int previousLevel() const { return previousLevel_; }

private:
    std::vector<TreeFileRecord> records_;
    ImportWarnings warnings_;
    int previousLevel_ = -1;
    qint64 total_ = 0;
    Progress progress_;
    int sinceReport_ = 0;
    std::unique_ptr<QTextDocument> plainFont_;  // the default font plain texts are saved in
};

} // namespace formats
