// Tests of the Groups list logic on a bare tree: order, exact category match.
#include "document/groups.h"
#include "document/outlinemodel.h"

#include <QtTest>

#include <memory>

#include "support.h"

using support::buildGroupsSample;
using support::leaf;

namespace {

QStringList captionsOf(const groups::Leaves &leaves)
{
    QStringList captions;
    for (const OutlineNode *node : leaves) {
        captions.append(node->caption());
    }
    return captions;
}

} // namespace

class GroupsTest : public QObject
{
    Q_OBJECT

private slots:
    void allLeavesFollowsDisplayOrderIncludingCollapsed()
    {
        OutlineModel tree;
        buildGroupsSample(tree);
        const groups::Leaves leaves = groups::allLeaves(tree);
        QCOMPARE(captionsOf(leaves), (QStringList{"A", "B", "C", "D", "E", "F"}));
        QCOMPARE(leaves[2], tree.topLevelNode(0)->child(0)->child(0));

        OutlineModel empty;
        QVERIFY(groups::allLeaves(empty).empty());
    }

    void allLeavesWalksAVeryDeepOutline()
    {
        // A chain as deep as it is long must not exhaust the stack.
        OutlineModel tree;
        OutlineNode *parent = leaf("0", "Memo");
        tree.root()->addChild(parent);
        const int depth = 20000;
        for (int i = 1; i < depth; ++i) {
            OutlineNode *child = leaf(QString::number(i), "Memo");
            parent->addChild(child);
            parent = child;
        }
        const groups::Leaves leaves = groups::allLeaves(tree);
        QCOMPARE(int(leaves.size()), depth);
        QCOMPARE(leaves.back()->caption(), QString::number(depth - 1));
    }

    void categoryMatchIsExact_data()
    {
        QTest::addColumn<QString>("chooser");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Memo") << "Memo" << QStringList{"A", "E"};
        QTest::newRow("lower case") << "memo" << QStringList{"B"};
        QTest::newRow("trailing blank") << "Memo " << QStringList{"C"};
        QTest::newRow("empty text") << "" << QStringList{"D"};
        QTest::newRow("Windows-1252 letter") << QString::fromUtf8("Caf\u00e9") << QStringList{"F"};
        QTest::newRow("no such category") << "ToDo" << QStringList{};
        QTest::newRow("longer than any category") << "Memo and more than twenty" << QStringList{};
    }

    void categoryMatchIsExact()
    {
        QFETCH(QString, chooser);
        QFETCH(QStringList, expected);
        OutlineModel tree;
        buildGroupsSample(tree);
        QCOMPARE(captionsOf(groups::leavesOfCategory(tree, chooser)), expected);
    }

};

QTEST_MAIN(GroupsTest)
#include "groups_test.moc"
