// The tool's find command: reads a tree file one record at a time and prints the paths of matching leaves.
#include "document/treetool.h"

#include "document/findindex.h"
#include "document/treefile.h"
#include "text/encoding.h"
#include "text/errors.h"
#include "text/rtf/plaintext.h"

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace treetool {

namespace {

constexpr int ExitMatched = 0;
constexpr int ExitCannotOpen = 1;
constexpr int ExitDamaged = 3;
constexpr int ExitNoMatch = 4;

} // namespace

int find(const QString &path, const QString &text, QTextStream &out, QTextStream &err)
{
    const QByteArray query = FindIndex::fold(text);
    const std::boyer_moore_horspool_searcher<const char *> searcher(query.cbegin(), query.cend());
    const auto holds = [&](const QString &s) {
        const QByteArray folded = FindIndex::fold(s);
        return std::search(folded.cbegin(), folded.cend(), searcher) != folded.cend();
    };
    int level = -1;
    QStringList captions; // the captions from the top-level leaf down to the last one read
    qint64 matched = 0;
    TreeFileContents contents;
    try {
        contents = scanTreeFile(path, true, [&](TreeFileRecord &record) {
            level = AttachLoadedLeaf(level, record.level);
            captions.resize(level);
            captions.append(encoding::fromCp1252(record.caption));
            if (!query.isEmpty() && (holds(captions.last()) || holds(richtext::shownText(record.text)))) {
                ++matched;
                out << captions.join(QLatin1String(" > ")) << "\n";
            }
        });
    } catch (const AppError &e) {
        err << e.message() << "\n";
        err.flush();
        return ExitCannotOpen;
    }
    out.flush();
    if (!contents.complete) {
        err << treeFileWarning(path, contents) << "\n";
        err.flush();
        return ExitDamaged;
    }
    return matched > 0 ? ExitMatched : ExitNoMatch;
}

} // namespace treetool
