// The tree-file commands of the command-line tool: outline, export, check and make-tree.
#include "document/treetool.h"

#include "text/encoding.h"
#include "text/errors.h"
#include "text/fileaccess.h"
#include "document/outlinefile.h"
#include "document/treefile.h"
#include "document/tvclasses.h"
#include "text/convert.h"
#include "text/richtext.h"
#include "document/formats/importoutline.h"
#include "document/formats/markdownreader.h"
#include "document/formats/outlineexport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTextDocument>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <optional>

namespace treetool {

namespace {

// Reads the file one record at a time, each handed to visit; reports a file that cannot be read.
std::optional<TreeFileContents> scanOrReport(const QString &path, bool withTexts, QTextStream &err,
                                             const std::function<void(TreeFileRecord &)> &visit)
{
    try {
        return scanTreeFile(path, withTexts, visit);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return std::nullopt;
    }
}

int finish(const QString &path, const TreeFileContents &contents, QTextStream &out, QTextStream &err)
{
    out.flush();
    if (contents.complete) {
        return ExitComplete;
    }
    err << treeFileWarning(path, contents) << "\n";
    err.flush();
    return ExitDamaged;
}

int saveOrReport(const QString &outputPath, const std::vector<TreeFileRecord> &records, QTextStream &err)
{
    try {
        saveTreeRecords(outputPath, records);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    return ExitComplete;
}

// The leaves of a tree file for a writer, read one record at a time on every walk: the whole outline, or the
// leaf at a caption path ("Top > Child") with its subtree. The file's damage, if any, is that of the last walk.
class TreeFileLeaves
{
public:
    TreeFileLeaves(const QString &path, const QString &leafPath) : path_(path)
    {
        if (!leafPath.isEmpty()) {
            for (const QString &caption : leafPath.split(QLatin1String(" > "))) {
                wanted_.append(caption.trimmed());
            }
        }
    }

    void operator()(const formats::LeafVisitor &visit, bool withTexts)
    {
        int level = -1;
        QStringList path;
        int rootLevel = -1;  // the level of the chosen leaf while its subtree is being read, else -1
        bool done = false;
        found_ = wanted_.isEmpty();
        contents_ = scanTreeFile(path_, withTexts, [&](TreeFileRecord &record) {
            level = AttachLoadedLeaf(level, record.level);
            if (done) {
                return;
            }
            formats::ExportLeaf leaf;
            leaf.caption = encoding::fromCp1252(record.caption);
            if (!wanted_.isEmpty()) {
                path.resize(level);
                path.append(leaf.caption);
                if (rootLevel >= 0 && level <= rootLevel) {
                    done = true;  // the chosen subtree has ended; the first match is the one written
                    return;
                }
                if (rootLevel < 0) {
                    if (path != wanted_) {
                        return;
                    }
                    rootLevel = level;
                    found_ = true;
                }
            }
            leaf.level = level - std::max(rootLevel, 0);
            leaf.category = encoding::fromCp1252(record.category);
            leaf.text = std::move(record.text);
            visit(leaf);
        });
    }

    bool found() const { return found_; }
    const TreeFileContents &contents() const { return contents_; }

private:
    QString path_;
    QStringList wanted_;
    bool found_ = false;
    TreeFileContents contents_;
};

} // namespace

int outline(const QString &path, QTextStream &out, QTextStream &err)
{
    int level = -1;
    const std::optional<TreeFileContents> contents = scanOrReport(path, false, err, [&](TreeFileRecord &record) {
        level = AttachLoadedLeaf(level, record.level);
        out << QString(2 * level, QLatin1Char(' ')) << encoding::fromCp1252(record.caption) << " ["
            << encoding::fromCp1252(record.category) << "]\n";
    });
    if (!contents) {
        return ExitCannotOpen;
    }
    return finish(path, *contents, out, err);
}

int check(const QString &path, QTextStream &out, QTextStream &err)
{
    const std::optional<TreeFileContents> contents = scanOrReport(path, false, err, [](TreeFileRecord &) {});
    if (!contents) {
        return ExitCannotOpen;
    }
    out << path << "\n";
    out << "  size: " << contents->fileSize << " bytes\n";
    out << "  records announced: " << contents->announcedCount << "\n";
    out << "  leaves read: " << contents->recordsRead() << "\n";
    if (contents->complete) {
        out << "  status: complete\n";
        const qint64 trailing = contents->fileSize - contents->endOffset;
        if (trailing > 0) {
            out << "  note: " << trailing << " bytes after the last record are not read\n";
        }
    } else {
        out << "  status: damaged or incomplete at byte " << contents->damageOffset << ": "
            << contents->damageReason << "\n";
    }
    return finish(path, *contents, out, err);
}

int exportTree(const QString &path, const QString &formatName, const QString &leafPath, QIODevice &out,
               QTextStream &err)
{
    formats::OutlineFormat format;
    if (!formats::parseOutlineFormat(formatName, format)) {
        err << "quillax-tool: unknown format '" << formatName << "' (html, markdown, text, opml or pdf)\n";
        err.flush();
        return ExitUsage;
    }
    TreeFileLeaves leaves(path, leafPath);
    // A first walk over the captions: a file that cannot be read, or a leaf that is not there, writes nothing.
    try {
        leaves([](const formats::ExportLeaf &) {}, false);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    if (!leaves.found()) {
        err << "quillax-tool: no leaf \"" << leafPath << "\" in " << path << "\n";
        err.flush();
        return ExitNoMatch;
    }
    try {
        formats::writeOutline(out, format, leaves, QFileInfo(path).completeBaseName());
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    QTextStream none;
    return finish(path, leaves.contents(), none, err);
}

int makeTree(const QString &sourcePath, const QString &outputPath, QTextStream &err)
{
    QByteArray sourceBytes;
    try {
        sourceBytes = fileaccess::readRegularFile(sourcePath);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    formats::LeafSink sink;
    try {
        const formats::MarkdownRead read =
            formats::readMarkdownOutline(sourceBytes, {QStringLiteral("Default"), false, QString()}, sink);
        if (read.strayLine > 0) {
            err << sourcePath << ":" << read.strayLine << ": text before the first heading\n";
            err.flush();
            return ExitUsage;
        }
    } catch (const AppError &e) {
        err << sourcePath << ": " << e.message() << "\n";
        err.flush();
        return ExitUsage;
    }
    return saveOrReport(outputPath, sink.records(), err);
}

int importOutline(const QString &sourcePath, const QString &outputPath, QTextStream &err)
{
    QByteArray sourceBytes;
    try {
        sourceBytes = fileaccess::readRegularFile(sourcePath);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    formats::ImportedOutline imported;
    try {
        imported = formats::importOutline(sourceBytes, QFileInfo(sourcePath).completeBaseName());
    } catch (const formats::ImportError &e) {
        err << sourcePath << ": " << e.message() << "\n";
        err.flush();
        return ExitNotOutline;
    }
    sourceBytes.clear();
    for (const QString &line : imported.warnings.lines()) {
        err << sourcePath << ": " << line << "\n";
    }
    err.flush();
    return saveOrReport(outputPath, imported.records, err);
}

} // namespace treetool
