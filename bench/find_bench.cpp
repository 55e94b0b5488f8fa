// Find benchmark: the text-only pass beside the full reader, the index over 100,000 leaves, queries, and the
// tool's find beside its export, all measured in the same run.
#include "benchsupport.h"
#include "app/Main.h"
#include "tests/support.h"
#include "app/findbar.h"
#include "app/findcontroller.h"
#include "app/outlinetree.h"
#include "document/findindex.h"
#include "document/findtool.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "document/treetool.h"
#include "document/tvclasses.h"
#include "text/rtf/plaintext.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

void line(const char *what, double value, const char *unit)
{
    std::printf("  %-52s %10.1f %s\n", what, value, unit);
}

void ratio(const char *what, double value)
{
    std::printf("  %-52s %10.2f\n", what, value);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int leaves = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    QTemporaryDir dir;

    QRandomGenerator rng(20261209u);
    std::vector<QByteArray> pool;
    for (int i = 0; i < 400; ++i) {
        pool.push_back(bench::formattedRtf(rng, qsizetype(rng.bounded(200, 4096)), true));
    }
    std::vector<TreeFileRecord> records;
    records.reserve(size_t(leaves));
    int previous = -1;
    for (int i = 0; i < leaves; ++i) {
        TreeFileRecord record;
        record.caption = QByteArray(bench::SampleWords[rng.bounded(16)]) + ' ' + QByteArray::number(i);
        record.level = previous < 0 ? 0 : int(rng.bounded(0, std::min(previous + 1, 7) + 1));
        previous = record.level;
        record.category = "Default";
        record.text = pool[rng.bounded(int(pool.size()))];
        // Every leaf's text its own bytes, as after a load.
        record.text.detach();
        records.push_back(std::move(record));
    }
    const QString path = dir.filePath(QStringLiteral("find-%1.tre").arg(leaves));
    saveTreeRecords(path, records);
    records.clear();
    records.shrink_to_fit();
    const qint64 fileSize = QFileInfo(path).size();
    std::printf("Find benchmark: %d leaves, %.1f MB file; figures and ratios from the same run.\n", leaves,
                double(fileSize) / 1e6);

    // The text-only pass against the full reader, on the pool's documents.
    qint64 poolBytes = 0;
    for (const QByteArray &b : pool) {
        poolBytes += b.size();
    }
    qint64 chars = 0;
    const double plain = timed([&] {
        for (int r = 0; r < 5; ++r) {
            for (const QByteArray &b : pool) {
                chars += richtext::shownText(b).size();
            }
        }
    });
    const double full = timed([&] {
        for (const QByteArray &b : pool) {
            QTextDocument document;
            rtf::read(b, document);
        }
    });
    const double plainMBs = 5.0 * double(poolBytes) / 1e6 / (plain / 1000.0);
    const double fullMBs = double(poolBytes) / 1e6 / (full / 1000.0);
    line("text-only pass", plainMBs, "MB/s");
    line("full reader into a QTextDocument", fullMBs, "MB/s");
    ratio("text-only pass speed / full reader speed", plainMBs / fullMBs);

    // The index, built as the window builds it after a load.
    const qint64 rssBeforeLoad = bench::residentKiB();
    TreeFileContents contents = readTreeFile(path);
    std::vector<FindIndex::Source> sources;
    std::vector<FindIndex::Key> order;
    std::vector<NoteRef> notes;
    for (const TreeFileRecord &r : contents.records) {
        auto note = std::make_shared<noteob>();
        note->Notes = LineList{r.text};
        notes.push_back(note);
        order.push_back(note.get());
        sources.push_back({note.get(), QString::fromLatin1(r.caption), note->Notes});
    }
    const qint64 rssLoaded = bench::residentKiB();
    FindIndex index;
    const double build = timed([&] { index = FindIndex::buildInBackground(sources).result(); });
    const qint64 rssIndexed = bench::residentKiB();
    line("index build (background, parallel slices)", build, "ms");
    line("index memory (counted)", double(index.memoryBytes()) / 1e6, "MB");
    line("resident memory added by the index", double(rssIndexed - rssLoaded) / 1e3, "MB");
    line("resident memory of the loaded texts", double(rssLoaded - rssBeforeLoad) / 1e3, "MB");
    ratio("index memory / file size", double(index.memoryBytes()) / double(fileSize));

    for (const char *q : {"garden", "RIVER WINTER", "Readingé", "zebra"}) {
        std::vector<int> found;
        const double query = timed([&] { found = index.find(QString::fromUtf8(q), order); });
        char label[96];
        std::snprintf(label, sizeof label, "query \"%s\" (%zu leaves match)", q, found.size());
        line(label, query, "ms");
    }

    // The window: the index after a load, then queries typed into the find field.
    contents = TreeFileContents();
    sources.clear();
    notes.clear();
    {
        TForm1 w;
        const FormParts ui(w);
        w.show();
        QElapsedTimer clock;
        clock.start();
        w.OpenDocument(path);
        const double loaded = double(clock.nsecsElapsed()) / 1e6;
        while (ui.Finder->isBuilding() || !ui.Finder->index()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        const double ready = double(clock.nsecsElapsed()) / 1e6;
        line("window: open the file", loaded, "ms");
        line("window: index ready, from the start of opening", ready, "ms");
        ui.Finder->action()->trigger();
        FindBar *bar = ui.Finder->bar();
        double longestKey = 0;
        double firstMatch = 0;
        double countDone = 0;
        const auto typeQuery = [&](const QString &query, bool fresh) {
            if (fresh) {
                bar->field()->clear();
                while (bar->isSearching()) {
                    QCoreApplication::processEvents();
                }
            }
            QString typed;
            for (const QChar c : query) {
                typed += c;
                const QByteArray folded = FindIndex::fold(typed);
                // A match is shown once the selected leaf holds what has been typed so far.
                const auto isShown = [&] {
                    return ui.Finder->index()->matches(ui.TreeView1->currentItem()->record().get(), folded);
                };
                QElapsedTimer t;
                t.start();
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(bar->field(), &press);
                longestKey = std::max(longestKey, double(t.nsecsElapsed()) / 1e6);
                double shown = isShown() ? double(t.nsecsElapsed()) / 1e6 : -1;
                while (bar->isSearching()) {
                    QElapsedTimer step;
                    step.start();
                    QCoreApplication::processEvents();
                    longestKey = std::max(longestKey, double(step.nsecsElapsed()) / 1e6);
                    if (shown < 0 && isShown()) {
                        shown = double(t.nsecsElapsed()) / 1e6;
                    }
                }
                firstMatch = std::max(firstMatch, shown);
                countDone = std::max(countDone, double(t.nsecsElapsed()) / 1e6);
            }
        };
        typeQuery(QStringLiteral("winter"), true);
        line("window: longest wait of a keystroke or scan step", longestKey, "ms");
        line("window: first match shown after a keystroke (worst)", firstMatch, "ms");
        line("window: count complete after a keystroke (worst)", countDone, "ms");
        std::printf("  %-52s %s\n", "window: label", qPrintable(bar->label()->text()));
        longestKey = firstMatch = countDone = 0;
        typeQuery(QStringLiteral("zebra"), true);
        line("window: count complete, query without match (worst)", countDone, "ms");
        const double step = timed([&] {
            bar->field()->setText(QStringLiteral("garden"));
            while (bar->isSearching()) {
                QCoreApplication::processEvents();
            }
            bar->step(true);
        });
        line("window: Enter to the next match (query just set)", step, "ms");
    }

    // The tool's find beside its text export, both writing to a discarded stream.
    QFile sink(QStringLiteral("/dev/null"));
    sink.open(QIODevice::WriteOnly);
    QTextStream out(&sink);
    QString errors;
    QTextStream err(&errors);
    int status = 0;
    const double find = timed([&] { status = treetool::find(path, QStringLiteral("river winter"), out, err); });
    line("quillax-tool find", find, "ms");
    const double exported = timed([&] { treetool::exportTree(path, QStringLiteral("text"), QString(), sink, err); });
    line("quillax-tool export --to text", exported, "ms");
    ratio("find time / export time", find / exported);
    std::printf("  (%lld characters extracted; find status %d)\n", static_cast<long long>(chars), status);
    return 0;
}
