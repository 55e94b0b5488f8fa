// Outline import and export at size: importing 10,000- and 100,000-node CherryTree and OPML files beside the
// tool's text export of the tree file each makes, and PDF export of a 10,000-leaf outline beside HTML export.
#include "benchsupport.h"
#include "childcost.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString Tool = QStringLiteral(QUILLAX_TOOL_PATH);

// A few words from the sample list, joined by spaces.
QByteArray words(QRandomGenerator &rng, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += bench::SampleWords[rng.bounded(16)];
    }
    return text;
}

// The levels of an outline of n leaves: each at most one deeper than the one before, down to six levels.
template <typename Visit>
void outlineLevels(QRandomGenerator &rng, int n, Visit &&visit)
{
    int level = 0;
    for (int i = 0; i < n; ++i) {
        visit(i, level);
        level = std::min(5, int(rng.bounded(level + 2)));
    }
}

// A CherryTree file of n nodes, each with a few runs of bold, italic and coloured text in three paragraphs.
void writeCherryTree(const QString &path, int n)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QRandomGenerator rng(7);
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cherrytree>\n");
    int open = 0;
    outlineLevels(rng, n, [&](int i, int level) {
        for (; open > level; --open) {
            file.write("</node>\n");
        }
        QByteArray node = "<node name=\"Leaf " + QByteArray::number(i) + " " + words(rng, 2) +
                          "\" unique_id=\"" + QByteArray::number(i + 1) +
                          "\" prog_lang=\"custom-colors\" tags=\"tag" + QByteArray::number(i % 7) +
                          "\" readonly=\"0\" custom_icon_id=\"0\" is_bold=\"0\" foreground=\"\" ts_creation=\"0\" "
                          "ts_lastsave=\"0\">";
        for (int p = 0; p < 3; ++p) {
            node += "<rich_text>" + words(rng, 8) + " </rich_text><rich_text weight=\"heavy\">" + words(rng, 2) +
                    "</rich_text><rich_text> " + words(rng, 5) + " </rich_text><rich_text style=\"italic\" "
                    "foreground=\"#aa0000\">" + words(rng, 3) + "</rich_text><rich_text>\n</rich_text>";
        }
        file.write(node + "\n");
        open = level + 1;
    });
    for (; open > 0; --open) {
        file.write("</node>\n");
    }
    file.write("</cherrytree>\n");
}

// An OPML file of n outlines, each with a note of three lines.
void writeOpml(const QString &path, int n)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QRandomGenerator rng(11);
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n<head><title>Sample</title>"
               "</head>\n<body>\n");
    int open = 0;
    outlineLevels(rng, n, [&](int i, int level) {
        for (; open > level; --open) {
            file.write("</outline>\n");
        }
        file.write("<outline text=\"Leaf " + QByteArray::number(i) + " " + words(rng, 2) + "\" _note=\"" +
                   words(rng, 25) + "&#10;" + words(rng, 25) + "&#10;" + words(rng, 25) + "\">\n");
        open = level + 1;
    });
    for (; open > 0; --open) {
        file.write("</outline>\n");
    }
    file.write("</body>\n</opml>\n");
}

void row(const char *what, const ChildCost &cost, const ChildCost &yardstick, qint64 sourceBytes)
{
    std::printf("  %-34s %8.2f s  beside export --to text %7.2f s  ratio %5.2f   peak %7.1f MiB = %4.2fx the "
                "source%s\n",
                what, cost.seconds, yardstick.seconds, cost.seconds / yardstick.seconds, cost.peakKiB / 1024.0,
                cost.peakKiB * 1024.0 / double(sourceBytes), cost.ran && yardstick.ran ? "" : "  (a command failed)");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        return 1;
    }
    std::printf("Import: quillax-tool import SOURCE OUT.tre, beside quillax-tool export OUT.tre --to text\n");
    double perNode[2][2] = {};
    const int sizes[] = {10000, 100000};
    for (int s = 0; s < 2; ++s) {
        const int n = sizes[s];
        for (int kind = 0; kind < 2; ++kind) {
            const QString source = dir.filePath(QStringLiteral("sample%1.%2").arg(n).arg(kind == 0 ? "ctd" : "opml"));
            if (kind == 0) {
                writeCherryTree(source, n);
            } else {
                writeOpml(source, n);
            }
            const QString tree = dir.filePath(QStringLiteral("imported.tre"));
            const ChildCost imported = spawnChild({Tool, QStringLiteral("import"), source, tree});
            const ChildCost exported = spawnChild({Tool, QStringLiteral("export"), tree, QStringLiteral("--to"),
                                                   QStringLiteral("text")});
            const qint64 size = QFileInfo(source).size();
            const QByteArray label = QStringLiteral("%1 %2 nodes (%3 MB)")
                                         .arg(kind == 0 ? "CherryTree" : "OPML")
                                         .arg(n)
                                         .arg(size / 1e6, 0, 'f', 1)
                                         .toUtf8();
            row(label.constData(), imported, exported, size);
            perNode[kind][s] = imported.seconds / n;
            if (n == 10000 && kind == 0) {
                // The 10,000-leaf outline for the PDF figures.
                QFile::copy(tree, dir.filePath(QStringLiteral("ten-thousand.tre")));
            }
        }
    }
    std::printf("  time per node, 100,000 / 10,000: CherryTree %.2f, OPML %.2f\n", perNode[0][1] / perNode[0][0],
                perNode[1][1] / perNode[1][0]);

    std::printf("\nPDF: quillax-tool export --to pdf beside --to html, 10,000 leaves\n");
    const QString ten = dir.filePath(QStringLiteral("ten-thousand.tre"));
    const QString to = QStringLiteral("--to");
    const ChildCost html = spawnChild({Tool, QStringLiteral("export"), ten, to, QStringLiteral("html")});
    const QString pdfPath = dir.filePath(QStringLiteral("out.pdf"));
    const ChildCost pdf = spawnChild({Tool, QStringLiteral("export"), ten, to, QStringLiteral("pdf")}, pdfPath);
    std::printf("  export --to pdf %.2f s (%lld KB), --to html %.2f s: ratio %.2f%s\n", pdf.seconds,
                static_cast<long long>(QFileInfo(pdfPath).size() / 1000), html.seconds,
                pdf.seconds / html.seconds, pdf.ran && html.ran ? "" : "  (a command failed)");
    return 0;
}
