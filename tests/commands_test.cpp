// Tests of the outline's history on a bare model: each step undone and done again restores the outline
// exactly, and a removed subtree comes back as the same nodes.
#include "document/commands.h"
#include "document/outlinemodel.h"

#include <QUndoStack>
#include <QtTest>

#include "support.h"

using commands::Place;

namespace {

// The outline with every leaf's category and text, in display order.
QString snapshot(const OutlineModel &tree)
{
    QStringList lines{support::describe(tree)};
    outline::walk(tree, [&](const OutlineNode *node, int level) {
        lines << QStringLiteral("%1@%2 %3 %4")
                     .arg(node->caption())
                     .arg(level)
                     .arg(QString::fromLatin1(node->record()->Category()))
                     .arg(QString::fromLatin1(joinLines(node->record()->Notes)));
    });
    return lines.join(QLatin1Char('\n'));
}

OutlineNode *node(const OutlineModel &tree, const char *caption)
{
    return support::findNode(tree, QLatin1String(caption));
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyStepUndoesAndRedoesExactly_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("after");
        QTest::newRow("add two at the top") << "add" << "X Y A[B[C] D] E";
        QTest::newRow("prune a subtree") << "prune" << "A[D] E";
        QTest::newRow("move before") << "move before" << "A[D B[C]] E";
        QTest::newRow("move out last") << "move last" << "A[D] E B[C]";
        QTest::newRow("move into") << "move into" << "A[B[C] D[E]]";
        QTest::newRow("rename") << "rename" << "A[Bee[C] D] E";
        QTest::newRow("category") << "category" << "A[B[C] D] E";
        QTest::newRow("text") << "text" << "A[B[C] D] E";
    }

    void everyStepUndoesAndRedoesExactly()
    {
        QFETCH(QString, step);
        QFETCH(QString, after);
        OutlineModel tree;
        support::buildOutline(tree, QStringLiteral("A[B[C] D] E"));
        outline::walk(tree, [](OutlineNode *n, int) {
            n->record()->Notes = {"{\\rtf1 " + n->caption().toLatin1() + "}", ""};
            n->record()->setCategory(QStringLiteral("cat ") + n->caption());
        });
        const QString before = snapshot(tree);
        QUndoStack history;
        OutlineNode *b = node(tree, "B");
        if (step == QLatin1String("add")) {
            history.push(new commands::InsertLeaves(tree, QStringLiteral("Paste"),
                                                    {new OutlineNode(QStringLiteral("X")), new OutlineNode(QStringLiteral("Y"))},
                                                    Place{tree.root(), 0}, b));
        } else if (step == QLatin1String("prune")) {
            history.push(new commands::RemoveLeaf(tree, QStringLiteral("Prune"), b, node(tree, "D")));
        } else if (step == QLatin1String("move before")) {
            history.push(new commands::MoveLeaf(tree, QStringLiteral("Move Down"), b, outline::Placement::LastSibling,
                                                node(tree, "D")));
        } else if (step == QLatin1String("move last")) {
            history.push(new commands::MoveLeaf(tree, QStringLiteral("Move Left"), b, outline::Placement::LastSibling,
                                                node(tree, "A")));
        } else if (step == QLatin1String("move into")) {
            history.push(new commands::MoveLeaf(tree, QStringLiteral("Drag"), node(tree, "E"),
                                                outline::Placement::LastChild, node(tree, "D")));
        } else if (step == QLatin1String("rename")) {
            history.push(new commands::Rename(tree, b, QStringLiteral("Bee")));
        } else if (step == QLatin1String("category")) {
            // Typing in the box: one step however many keys.
            for (const char *typed : {"M", "Me", "Memo"}) {
                history.push(new commands::SetCategory(tree, b, typed));
            }
            QCOMPARE(history.count(), 1);
            QCOMPARE(b->record()->Category(), QByteArray("Memo"));
        } else {
            history.push(new commands::SetText(tree, QStringLiteral("Text"), b, LineList{"new", "words"}));
            QCOMPARE(b->record()->Notes, (LineList{"new", "words"}));
        }
        QCOMPARE(support::describe(tree), after);
        const QString done = snapshot(tree);
        for (int round = 0; round < 2; ++round) {
            history.undo();
            QCOMPARE(snapshot(tree), before);
            history.redo();
            QCOMPARE(snapshot(tree), done);
        }
    }

    void prunedSubtreeComesBackAsTheSameNodes()
    {
        OutlineModel tree;
        support::buildOutline(tree, QStringLiteral("A[B[C] D] E"));
        OutlineNode *b = node(tree, "B");
        OutlineNode *c = node(tree, "C");
        QUndoStack history;
        history.push(new commands::RemoveLeaf(tree, QStringLiteral("Prune"), b, node(tree, "D")));
        QCOMPARE(b->model(), nullptr);
        history.undo();
        QCOMPARE(node(tree, "B"), b);
        QCOMPARE(node(tree, "C"), c);
        QCOMPARE(c->parent(), b);
        // Dropping the history while the leaf is out deletes it with the step.
        history.redo();
        std::weak_ptr<noteob> record = c->record();
        history.clear();
        QVERIFY(record.expired());
    }

    void typingBackToTheSavedCategoryLeavesNoStep()
    {
        OutlineModel tree;
        support::buildOutline(tree, QStringLiteral("A"));
        OutlineNode *a = node(tree, "A");
        QUndoStack history;
        history.push(new commands::SetCategory(tree, a, "Memo"));
        history.push(new commands::SetCategory(tree, a, "Unknown"));
        QCOMPARE(history.count(), 0);
        QCOMPARE(a->record()->categoryText(), QStringLiteral("Unknown"));
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "commands_test.moc"
