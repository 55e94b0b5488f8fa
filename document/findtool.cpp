// The tool's find command: reads a tree file one record at a time and prints the paths of matching leaves.
#include "document/findtool.h"

#include "document/treetool.h"

#include "document/findindex.h"
#include "document/outlinefile.h"
#include "document/treefile.h"
#include "text/encoding.h"
#include "text/errors.h"
#include "text/rtf/plaintext.h"

#include <QStringList>
#include <QTextStream>


namespace treetool {

int find(const QString &path, const QString &text, QTextStream &out, QTextStream &err)
{
    const QByteArray query = FindIndex::fold(text);
    int level = -1;
    QStringList captions; // the captions from the top-level leaf down to the last one read
    qint64 matched = 0;
    TreeFileContents contents;
    try {
        contents = scanTreeFile(path, true, [&](TreeFileRecord &record) {
            level = AttachLoadedLeaf(level, record.level);
            captions.resize(level);
            captions.append(encoding::fromCp1252(record.caption));
            if (!query.isEmpty() && FindIndex::matchesFolded(FindIndex::fold(captions.last()),
                                                             FindIndex::fold(richtext::shownText(record.text)),
                                                             query)) {
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
    return matched > 0 ? ExitComplete : ExitNoMatch;
}

} // namespace treetool
