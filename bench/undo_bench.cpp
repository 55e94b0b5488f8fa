// History benchmark: undo and redo of each outline command on 100,000 leaves in the main window, each beside
// the command itself, the memory that 100 steps cost, and the outline saved after everything is undone.
#include "benchsupport.h"
#include "app/Main.h"
#include "tests/support.h"
#include "app/outlinetree.h"
#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "text/rtf/rtfwriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QThreadPool>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int Leaves = 100000;
// The large top-level subtree: its top record and the number of records it spans.
constexpr int BigFirst = 30000;
constexpr int BigSize = 30000;
constexpr int Rounds = 5;
constexpr double StepGoalMs = 50;
constexpr double BigUndoGoalMs = 200;
constexpr double MemoryGoalMB = 10;

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The time of work with the events it posts handled, as the user waits for it.
double settledTime(const std::function<void()> &work)
{
    return timed([&] {
        work();
        settle();
    });
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A formatted text of about target bytes of RTF, ending in CR LF as texts saved by the program do.
QByteArray formattedRtf(QRandomGenerator &rng, qsizetype target)
{
    QByteArray rtf = bench::formattedRtf(rng, target, false);
    if (!rtf.endsWith("\r\n")) {
        rtf += "\r\n";
    }
    return rtf;
}

// Depths up to 8 as tree_bench makes them, texts of 200 bytes to 4 KB, and one top-level subtree of
// BigSize records starting at record BigFirst. Every stored level is the level placement gives.
std::vector<TreeFileRecord> makeRecords()
{
    QRandomGenerator rng(20261208u);
    std::vector<QByteArray> pool;
    for (int i = 0; i < 300; ++i) {
        pool.push_back(formattedRtf(rng, qsizetype(rng.bounded(200, 4096))));
    }
    std::vector<TreeFileRecord> records(Leaves);
    int previous = -1;
    for (int i = 0; i < Leaves; ++i) {
        TreeFileRecord &record = records[size_t(i)];
        record.caption = QByteArray(bench::SampleWords[rng.bounded(16)]) + ' ' + QByteArray::number(i);
        const int deepest = std::min(previous + 1, 7);
        if (previous < 0 || i == BigFirst || i == BigFirst + BigSize) {
            record.level = 0;
        } else if (i > BigFirst && i < BigFirst + BigSize) {
            record.level = int(rng.bounded(1, deepest + 1));
        } else {
            record.level = int(rng.bounded(0, deepest + 1));
        }
        previous = record.level;
        record.category = QByteArray(CategoryNames[rng.bounded(4)]);
        record.text = pool[rng.bounded(int(pool.size()))];
    }
    return records;
}

int leafCount(const OutlineModel &tree)
{
    int n = 0;
    outline::walk(tree, [&](const OutlineNode *, int) { ++n; });
    return n;
}

// The first node from display index `from` on that has a parent and siblings on both sides and no
// children: every move of the window moves it.
OutlineNode *movableLeaf(const OutlineModel &tree, int from)
{
    OutlineNode *found = nullptr;
    int i = 0;
    outline::walk(tree, [&](OutlineNode *node, int) {
        if (found == nullptr && i++ >= from && node->parent() != nullptr && node->childCount() == 0 &&
            node->row() > 0 && node->row() + 1 < node->parent()->childCount()) {
            found = node;
        }
    });
    return found;
}

void line(const char *what, double value, const char *unit, const char *yardstick, double base, const char *tail)
{
    std::printf("  %-32s %9.1f %-2s | %-30s %9.1f %-2s | ratio %6.2f%s\n", what, value, unit, yardstick, base, unit,
                base > 0 ? value / base : 0.0, tail);
}

const char *verdict(bool met) { return met ? "goal met" : "missed"; }

// The median of times beside base, judged against the goal; the worst time too.
void goalLine(const char *what, const std::vector<double> &times, const char *yardstick, double base, double goalMs)
{
    char tail[160];
    std::snprintf(tail, sizeof tail, " | under %.0f ms: %s (worst %.1f)", goalMs, verdict(median(times) < goalMs),
                  *std::max_element(times.begin(), times.end()));
    line(what, median(times), "ms", yardstick, base, tail);
}

// A command with its undo and redo, timed Rounds times on the leaf select() picks; each round ends undone,
// so the outline is as before.
void measureStep(TForm1 &form, OutlineTree &tree, const char *name, const std::function<OutlineNode *()> &select,
                 const std::function<void()> &command, double goalMs, int rounds)
{
    std::vector<double> did;
    std::vector<double> undid;
    std::vector<double> redid;
    int pushed = 0;
    for (int round = 0; round < rounds; ++round) {
        tree.setCurrentItem(select());
        settle();
        const int before = form.history().index();
        did.push_back(settledTime(command));
        pushed = form.history().index() - before;
        undid.push_back(settledTime([&] { form.UndoClick(); }));
        redid.push_back(settledTime([&] { form.RedoClick(); }));
        form.UndoClick();
        settle();
    }
    std::printf("  %-32s %9.1f ms   (steps pushed: %d)\n", name, median(did), pushed);
    goalLine("    undo", undid, name, median(did), goalMs);
    goalLine("    redo", redid, name, median(did), goalMs);
    std::fflush(stdout);
}

// How the two files' leaves differ, record by record.
QString describeDifference(const QString &saved, const QString &opened)
{
    const TreeFileContents a = readTreeFile(saved);
    const TreeFileContents b = readTreeFile(opened);
    if (a.records.size() != b.records.size()) {
        return QStringLiteral("%1 leaves saved, %2 opened").arg(a.records.size()).arg(b.records.size());
    }
    int gainedCrLf = 0;
    int other = 0;
    qint64 firstOther = -1;
    for (size_t i = 0; i < a.records.size(); ++i) {
        const TreeFileRecord &x = a.records[i];
        const TreeFileRecord &y = b.records[i];
        const bool sameHead = x.caption == y.caption && x.level == y.level && x.category == y.category;
        if (sameHead && x.text == y.text + "\r\n") {
            ++gainedCrLf;
        } else if (!sameHead || x.text != y.text) {
            if (other++ == 0) {
                firstOther = qint64(i);
            }
        }
    }
    QString text =
        QStringLiteral("%1 of %2 texts saved with one more CR LF at the end").arg(gainedCrLf).arg(a.records.size());
    if (other > 0) {
        text += QStringLiteral("; %1 leaves differ otherwise, the first at record %2").arg(other).arg(firstOther);
    }
    return text;
}

bool sameBytes(const QString &a, const QString &b)
{
    QFile x(a);
    QFile y(b);
    return x.open(QIODevice::ReadOnly) && y.open(QIODevice::ReadOnly) && x.readAll() == y.readAll();
}

int run()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    std::printf("History benchmark: on %d leaves open in the window, each outline command's own time (median of "
                "%d, events settled) beside its Undo and Redo (UndoClick, RedoClick); the prune of a %d-leaf "
                "subtree; resident memory of 100 steps beside the file size; the outline saved after undoing "
                "everything.\n",
                Leaves, Rounds, BigSize);
    std::fflush(stdout);
    const QString path = dir.path() + QStringLiteral("/outline.tre");
    saveTreeRecords(path, makeRecords());
    const double fileMB = double(QFileInfo(path).size()) / (1 << 20);

    auto form = std::make_unique<TForm1>();
    const FormParts ui(*form);
    OutlineTree &tree = *ui.TreeView1;
    OutlineModel &model = tree.outline();
    form->setAsker(std::make_unique<bench::SilentAsker>());
    form->FormCreate({});
    form->show();
    settle();
    form->OpenDocument(path);
    settle();
    if (leafCount(model) != Leaves) {
        std::fprintf(stderr, "opened %d leaves of %d\n", leafCount(model), Leaves);
        return 1;
    }
    const QString asOpenedPath = dir.path() + QStringLiteral("/as-opened.tre");
    form->SaveTree(asOpenedPath);
    // Opening starts the find index on the worker threads; it would share the two cores with what is timed.
    QThreadPool::globalInstance()->waitForDone();
    settle();
    // A row taken out makes the tree view lay out every open row again: that layout is the yardstick of
    // the machine's speed in this run.
    std::vector<double> layouts;
    for (int i = 0; i < Rounds; ++i) {
        layouts.push_back(timed([&] { tree.doItemsLayout(); }));
    }
    std::printf("  file: %.1f MB, %d leaves; one layout of all open rows (doItemsLayout) %.1f ms\n\n", fileMB,
                Leaves, median(layouts));

    // 1. Each command on an ordinary leaf, away from the large subtree.
    OutlineNode *leaf = movableLeaf(model, 75000);
    if (leaf == nullptr) {
        std::fprintf(stderr, "no leaf with siblings on both sides\n");
        return 1;
    }
    std::printf("  one leaf at level %d, row %d of %d (ms)\n", outline::levelOf(leaf), leaf->row(),
                leaf->parent()->childCount());
    const auto onLeaf = [&] { return leaf; };
    TForm1 &f = *form;
    measureStep(f, tree, "Add Leaf", onLeaf, [&] { f.AddBtnClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Add Leaf Below", onLeaf, [&] { f.AddChildBtnClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Prune (one leaf)", onLeaf, [&] { f.DelBtnClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Move Right", onLeaf, [&] { f.InBtnClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Move Left", onLeaf, [&] { f.OutBtnClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Move Up", onLeaf, [&] { f.MoveUpClick(); }, StepGoalMs, Rounds);
    measureStep(f, tree, "Move Down", onLeaf, [&] { f.MoveDownClick(); }, StepGoalMs, Rounds);

    // 2. The large top-level subtree.
    OutlineNode *big = nullptr;
    for (int i = 0, most = 0; i < model.topLevelCount(); ++i) {
        if (const int size = outline::subtreeSize(model.topLevelNode(i)); size > most) {
            big = model.topLevelNode(i);
            most = size;
        }
    }
    std::printf("\n  the largest top-level subtree, %d leaves (ms)\n", outline::subtreeSize(big));
    measureStep(f, tree, "Prune (subtree)", [&] { return big; }, [&] { f.DelBtnClick(); }, BigUndoGoalMs, 3);
    const int restored = leafCount(model);
    std::printf("  leaves after the rounds above: %d (%s)\n\n", restored, restored == Leaves ? "as opened" : "CHANGED");

    // 3. 100 steps: Add Leaf, then a move of a fresh leaf, Right, Left, Up and Down in turn.
    tree.setCurrentItem(movableLeaf(model, 90000));
    settle();
    const int leavesBefore = leafCount(model);
    const int indexBefore = f.history().index();
    const qint64 beforeKiB = bench::residentKiB();
    int moved = 0;
    using Click = void (TForm1::*)();
    const Click Moves[] = {&TForm1::InBtnClick, &TForm1::OutBtnClick, &TForm1::MoveUpClick, &TForm1::MoveDownClick};
    for (int step = 0; step < 50; ++step) {
        f.AddBtnClick();
        settle();
        OutlineNode *fresh = tree.currentItem();
        if (step % 4 == 3) {
            // A new leaf is the last of its siblings: the fresh leaf before it moves down instead.
            fresh = outline::containerOf(fresh)->child(fresh->row() - 1);
            tree.setCurrentItem(fresh);
            settle();
        }
        const OutlineNode *fromContainer = outline::containerOf(fresh);
        const int fromRow = fresh->row();
        (f.*Moves[step % 4])();
        settle();
        if (outline::containerOf(fresh) != fromContainer || fresh->row() != fromRow) {
            ++moved;
        }
    }
    settle();
    const qint64 afterKiB = bench::residentKiB();
    const double growthMB = double(afterKiB - beforeKiB) / 1024;
    char tail[120];
    std::snprintf(tail, sizeof tail, " | under %.0f MB: %s", MemoryGoalMB, verdict(growthMB < MemoryGoalMB));
    std::printf("  100 steps: 50 Add Leaf, 50 moves of fresh leaves (%d moved)\n", moved);
    line("memory growth of 100 steps", growthMB, "MB", "file size", fileMB, tail);
    std::printf("  resident memory %.1f MB before, %.1f MB after\n", double(beforeKiB) / 1024,
                double(afterKiB) / 1024);
    QMap<QString, int> kinds;
    for (int i = indexBefore; i < f.history().index(); ++i) {
        ++kinds[f.history().command(i)->text()];
    }
    QStringList named;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
        named << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    }
    const int pushed = f.history().index() - indexBefore;
    std::printf("  history: count() %d, %d steps pushed by the 100 (%s): %s\n", f.history().count(), pushed,
                qPrintable(named.join(QStringLiteral(", "))), f.history().count() >= 100 ? "at least 100" : "FEWER");
    const double hundredUndos = timed([&] {
        for (int i = 0; i < 100; ++i) {
            f.UndoClick();
            settle();
        }
    });
    const int leavesAfterUndos = leafCount(model);
    std::printf("  100 undos: %.1f ms each; leaves %d before the steps, %d after them, %d after 100 undos: %s\n",
                hundredUndos / 100, leavesBefore, leavesBefore + 50, leavesAfterUndos,
                leavesAfterUndos == leavesBefore ? "back to the same number" : "NOT the same number");

    // 4. Everything undone, the outline saved.
    int undone = 0;
    while (f.history().canUndo()) {
        f.UndoClick();
        ++undone;
    }
    settle();
    const QString savedPath = dir.path() + QStringLiteral("/undone.tre");
    form->SaveTree(savedPath);
    std::printf("\n  after %d more undos, nothing left to undo: %d leaves\n", undone, leafCount(model));
    const std::pair<QString, const char *> originals[] = {{path, "the opened file"},
                                                          {asOpenedPath, "the outline saved right after opening"}};
    for (const auto &[original, name] : originals) {
        const bool same = sameBytes(savedPath, original);
        std::printf("  saved outline vs %s: %s\n", name, same ? "identical" : "DIFFERS");
        if (!same) {
            std::printf("    %s\n", qPrintable(describeDifference(savedPath, original)));
        }
    }
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
    return run();
}
