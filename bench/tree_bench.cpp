// Tree benchmark: opening, saving and editing large outlines in the main window, each beside a yardstick
// measured in the same run. Run without arguments; each outline size is measured in a fresh process.
#include "benchsupport.h"
#include "app/Main.h"
#include "tests/support.h"
#include "app/asker.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "document/outlinemodel.h"
#include "app/outlinewidget.h"
#include "document/outline.h"
#include "document/outlinefile.h"
#include "document/treefile.h"
#include "text/rtf/rtfwriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return ms(t);
}

// The best of a few runs, for the short commands.
double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, timed(work));
    }
    return best;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

const char *const Words[] = {"outline", "leaf", "caption", "category", "memo", "garden", "river", "planning",
                             "draft", "notes", "meeting", "budget", "summer", "winter", "reading", "travel"};

// A formatted document of about target bytes of RTF: paragraphs with bold, italic, underlined runs, sizes,
// fonts, alignments and bullets, written by the program's own RTF writer.
QByteArray formattedRtf(QRandomGenerator &rng, qsizetype target)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QByteArray rtf;
    int paragraphs = 0;
    while (true) {
        QTextBlockFormat block;
        block.setAlignment(rng.bounded(4) == 0 ? Qt::AlignCenter : Qt::AlignLeft);
        if (paragraphs > 0) {
            cursor.insertBlock(block);
        } else {
            cursor.setBlockFormat(block);
        }
        const int words = int(rng.bounded(8, 40));
        for (int w = 0; w < words; ++w) {
            QTextCharFormat format;
            format.setFontFamilies({rng.bounded(3) == 0 ? QStringLiteral("Courier New") : QStringLiteral("Arial")});
            format.setFontPointSize(rng.bounded(3) == 0 ? 14 : 12);
            format.setFontWeight(rng.bounded(5) == 0 ? QFont::Bold : QFont::Normal);
            format.setFontItalic(rng.bounded(7) == 0);
            format.setFontUnderline(rng.bounded(9) == 0);
            cursor.insertText(QString::fromLatin1(Words[rng.bounded(16)]) + QLatin1Char(' '), format);
        }
        ++paragraphs;
        // Rewriting the whole document each time would be slow for the large text: estimate first.
        if (paragraphs % (target > 100000 ? 200 : 1) == 0) {
            rtf = rtf::write(document);
            if (rtf.size() >= target) {
                return rtf;
            }
        }
    }
}

struct Outline
{
    QString path;
    qint64 fileSize = 0;
    int bigLeaf = -1;  // index of the leaf with the 1 MB text
};

// A realistic outline: depths up to 8, texts of 200 bytes to 4 KB from a pool of formatted documents,
// and one leaf with a text of 1 MB.
Outline makeOutline(const QString &folder, int leaves)
{
    QRandomGenerator rng(20261208u + quint32(leaves));
    std::vector<QByteArray> pool;
    for (int i = 0; i < 400; ++i) {
        pool.push_back(formattedRtf(rng, qsizetype(rng.bounded(200, 4096))));
    }
    Outline outline;
    outline.bigLeaf = leaves / 2;
    std::vector<TreeFileRecord> records;
    records.reserve(size_t(leaves));
    int previous = -1;
    for (int i = 0; i < leaves; ++i) {
        TreeFileRecord record;
        record.caption = QByteArray(Words[rng.bounded(16)]) + ' ' + QByteArray::number(i);
        record.level = previous < 0 ? 0 : int(rng.bounded(0, std::min(previous + 1, 7) + 1));
        previous = record.level;
        record.category = QByteArray(CategoryNames[rng.bounded(4)]);
        record.text = i == outline.bigLeaf ? formattedRtf(rng, 1 << 20) : pool[rng.bounded(int(pool.size()))];
        records.push_back(std::move(record));
    }
    outline.path = folder + QStringLiteral("/outline-%1.tre").arg(leaves);
    saveTreeRecords(outline.path, records);
    outline.fileSize = QFileInfo(outline.path).size();
    return outline;
}

OutlineNode *itemAt(OutlineWidget &tree, int absoluteIndex)
{
    OutlineNode *found = nullptr;
    int i = 0;
    outline::walk(tree.outline(), [&](OutlineNode *node, int) {
        if (i++ == absoluteIndex) {
            found = node;
        }
    });
    return found;
}

void line(const char *what, double value, const char *unit, const char *yardstick, double base)
{
    std::printf("  %-44s %10.1f %-3s | %-44s %10.1f %-3s | ratio %5.2f\n", what, value, unit, yardstick, base, unit,
                base > 0 ? value / base : 0.0);
}

int measure(int leaves)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    std::printf("\n== %d leaves ==\n", leaves);
    std::fflush(stdout);
    const Outline outline = makeOutline(dir.path(), leaves);
    std::printf("  file: %.1f MB\n", double(outline.fileSize) / (1 << 20));

    // The window, empty, as the user first sees it after New, then Clear.
    auto form = std::make_unique<TForm1>();
    const FormParts ui(*form);
    form->setAsker(std::make_unique<bench::SilentAsker>());
    form->FormCreate({});
    form->show();
    settle();
    form->ClearTree();
    settle();
    const qint64 emptyKiB = bench::residentKiB();

    // Yardstick of opening: the file's bytes read, and as many bare items put in a bare tree.
    double readBytes = 0;
    double bareTree = 0;
    {
        QByteArray bytes;
        readBytes = timed([&] {
            QFile file(outline.path);
            file.open(QIODevice::ReadOnly);
            bytes = file.readAll();
        });
        QTreeWidget bare;
        bare.show();
        settle();
        bareTree = timed([&] {
            QList<QTreeWidgetItem *> items;
            items.reserve(leaves);
            for (int i = 0; i < leaves; ++i) {
                items.append(new QTreeWidgetItem(QStringList{QStringLiteral("leaf %1").arg(i)}));
            }
            bare.addTopLevelItems(items);
            settle();
        });
    }
    settle();

    // The parts of opening that the tree file code does, on a bare tree of the same kind.
    double readerOnly = 0;
    double populateOnly = 0;
    {
        TreeFileContents contents;
        readerOnly = timed([&] { contents = readTreeFile(outline.path); });
        OutlineWidget bare;
        bare.show();
        settle();
        populateOnly = timed([&] {
            populateTree(bare.outline(), contents);
            bare.expandAll();
            settle();
        });
    }
    settle();
    const qint64 baseKiB = bench::residentKiB();

    const double open = timed([&] {
        form->OpenDocument(outline.path);
        settle();
    });
    const qint64 openKiB = bench::residentKiB();
    const int count = [&] {
        int n = 0;
        outline::walk(ui.TreeView1->outline(), [&](const OutlineNode *, int) { ++n; });
        return n;
    }();
    if (count != leaves) {
        std::fprintf(stderr, "opened %d leaves of %d\n", count, leaves);
        return 1;
    }
    const double reopen = timed([&] {
        form->OpenDocument(outline.path);
        settle();
    });

    // Saving beside one write of as many bytes.
    const QString savedPath = dir.path() + QStringLiteral("/saved.tre");
    const double save = timed([&] { form->SaveTree(savedPath); });
    const qint64 savedSize = QFileInfo(savedPath).size();
    double oneWrite = 0;
    {
        const QByteArray bytes(savedSize, 'x');
        oneWrite = timed([&] {
            QFile file(dir.path() + QStringLiteral("/plain.bin"));
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            file.close();
        });
    }

    // Switching to the leaf with 1 MB of text, beside Qt's own import of the same text as HTML.
    OutlineNode *big = itemAt(*ui.TreeView1, outline.bigLeaf);
    OutlineNode *ordinary = itemAt(*ui.TreeView1, outline.bigLeaf + 1);
    const double bigSwitch = timed([&] {
        ui.TreeView1->setCurrentItem(big);
        settle();
    });
    double setHtml = 0;
    {
        const QString html = ui.RichEdit1->document()->toHtml();
        QTextDocument document;
        setHtml = timed([&] { document.setHtml(html); });
    }
    const double ordinarySwitch = timed([&] {
        ui.TreeView1->setCurrentItem(ordinary);
        settle();
    });

    std::printf("  open into the window (OpenDocument)\n");
    line("open into an empty window", open, "ms", "read the file's bytes + bare tree", readBytes + bareTree);
    std::printf("  %-44s read %.1f ms + bare tree of %d items %.1f ms\n", "  (yardstick parts)", readBytes, leaves,
                bareTree);
    std::printf("  %-44s reader %.1f ms + populateTree on a bare tree %.1f ms\n", "  (tree file parts)", readerOnly,
                populateOnly);
    line("open while the same outline is loaded", reopen, "ms", "open into an empty window", open);
    line("save (SaveTree)", save, "ms", "one write of as many bytes", oneWrite);
    line("switch to the leaf with 1 MB of text", bigSwitch, "ms", "QTextDocument::setHtml of that text", setHtml);
    line("resident memory growth by opening", double(openKiB - baseKiB) / 1024, "MB", "file size",
         double(outline.fileSize) / (1 << 20));
    std::printf("  resident memory: empty window %.1f MB, after opening %.1f MB; goal under %.1f MB "
                "(1.5 x file + empty program)\n",
                double(emptyKiB) / 1024, double(openKiB) / 1024,
                1.5 * double(outline.fileSize) / (1 << 20) + double(emptyKiB) / 1024);

    // Outline commands on the loaded outline.
    std::printf("  outline commands (ms)\n");
    std::printf("  %-44s %10.1f ms\n", "ordinary leaf switch", ordinarySwitch);
    const double switchBest = bestOf(5, [&] {
        ui.TreeView1->setCurrentItem(itemAt(*ui.TreeView1, 10));
        ui.TreeView1->setCurrentItem(ordinary);
    }) / 2;
    std::printf("  %-44s %10.1f ms\n", "ordinary leaf switch (best of 5)", switchBest);
    ui.TreeView1->setCurrentItem(ordinary);
    settle();
    const double add = timed([&] {
        form->AddBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "add leaf (AddBtnClick)", add);
    const double addBelow = timed([&] {
        form->AddChildBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "add leaf below (AddChildBtnClick)", addBelow);
    const double moveLeft = timed([&] {
        form->OutBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "move left (OutBtnClick)", moveLeft);
    const double moveRight = timed([&] {
        form->InBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "move right (InBtnClick)", moveRight);
    const double prune = timed([&] {
        form->DelBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "prune (DelBtnClick)", prune);
    ui.TreeView1->setCurrentItem(ui.TreeView1->outline().topLevelNode(0));
    settle();
    const double pruneTop = timed([&] {
        form->DelBtnClick();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "prune the first top-level subtree", pruneTop);
    const double clear = timed([&] {
        form->ClearTree();
        settle();
    });
    std::printf("  %-44s %10.1f ms\n", "clear the outline (ClearTree)", clear);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--leaves")));
    if (at >= 0 && at + 1 < args.size()) {
        return measure(args[at + 1].toInt());
    }
    // Each size in its own process, so resident memory is measured from a fresh start.
    std::printf("Tree benchmark: each figure beside its yardstick, measured in the same run.\n");
    std::fflush(stdout);
    int status = 0;
    for (const int leaves : {10000, 100000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--leaves"), QString::number(leaves)});
        child.waitForFinished(-1);
        status |= child.exitCode();
    }
    return status;
}
