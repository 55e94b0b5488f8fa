// Tests of the Groups list logic on a bare tree and list: order, exact category match, filling, picking.
#include "document/outlinemodel.h"
#include "document/outlinemodel.h"
#include "app/grouplist.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

LeafItem *leaf(const QString &caption, const QByteArray &category)
{
    auto record = std::make_shared<noteob>();
    record->setCategory(category);
    return new OutlineNode(caption, record);
}

QStringList captionsOf(const groups::Entries &entries)
{
    QStringList captions;
    for (const groups::Entry &entry : entries) {
        captions.append(entry.caption);
    }
    return captions;
}

QStringList listTexts(const QListWidget &list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts.append(list.item(row)->text());
    }
    return texts;
}

// A  (Memo)
//   B  (memo)        collapsed parent of C
//     C  (Memo )
//   D  ("")
// E  (Memo)
// F  (Café)
void buildSample(OutlineModel &tree)
{
    OutlineNode *a = leaf("A", "Memo");
    OutlineNode *b = leaf("B", "memo");
    OutlineNode *c = leaf("C", "Memo ");
    OutlineNode *d = leaf("D", "");
    tree.root()->addChild(a);
    a->addChild(b);
    b->addChild(c);
    a->addChild(d);
    tree.root()->addChild(leaf("E", "Memo"));
    tree.root()->addChild(leaf("F", QByteArray("Caf\xe9")));
    a->setExpanded(true);
    b->setExpanded(false);
}

} // namespace

class GroupsTest : public QObject
{
    Q_OBJECT

private slots:
    void allLeavesFollowsDisplayOrderIncludingCollapsed()
    {
        OutlineModel tree;
        buildSample(tree);
        const groups::Entries entries = groups::allLeaves(tree);
        QCOMPARE(captionsOf(entries), (QStringList{"A", "B", "C", "D", "E", "F"}));
        // Each entry refers to the node's own record, not to a copy.
        QCOMPARE(entries[2].record.get(), (tree.topLevelNode(0)->child(0)->child(0))->record().get());

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
        const groups::Entries entries = groups::allLeaves(tree);
        QCOMPARE(int(entries.size()), depth);
        QCOMPARE(entries.back().caption, QString::number(depth - 1));
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
        buildSample(tree);
        QCOMPARE(captionsOf(groups::leavesOfCategory(tree, chooser)), expected);
    }

    void fillReplacesEntriesAndPicksNothing()
    {
        OutlineModel tree;
        buildSample(tree);
        QListWidget list;
        list.addItems({"old 1", "old 2"});
        list.setCurrentRow(1);
        GroupListRecords records(list);
        QCOMPARE(GroupListRecords::of(list), &records);
        QCOMPARE(records.recordAt(0), nullptr);
        QSignalSpy picked(&list, &QListWidget::itemSelectionChanged);
        QSignalSpy rowChanged(&list, &QListWidget::currentRowChanged);

        const groups::Entries entries = groups::allLeaves(tree);
        records.fill(entries);

        QCOMPARE(listTexts(list), (QStringList{"A", "B", "C", "D", "E", "F"}));
        for (int row = 0; row < list.count(); ++row) {
            QCOMPARE(records.recordAt(row).get(), entries[size_t(row)].record.get());
        }
        QCOMPARE(records.recordAt(6), nullptr);
        QCOMPARE(records.recordAt(-1), nullptr);
        QCOMPARE(list.currentRow(), -1);
        QVERIFY(list.selectedItems().isEmpty());
        QCOMPARE(records.picked(), nullptr);
        // Filling is not a pick by the user: the list's own signals stay quiet.
        QCOMPARE(picked.count(), 0);
        QCOMPARE(rowChanged.count(), 0);

        records.fill({});
        QCOMPARE(list.count(), 0);
        QCOMPARE(records.recordAt(0), nullptr);
    }

    void pickedEntryIsTheSelectedOne()
    {
        OutlineModel tree;
        buildSample(tree);
        QListWidget list;
        list.setSelectionMode(QAbstractItemView::SingleSelection);
        GroupListRecords records(list);
        records.fill(groups::allLeaves(tree));

        list.setCurrentRow(3);
        QCOMPARE(groups::pickedItem(list), list.item(3));
        QCOMPARE(records.picked().get(), (tree.topLevelNode(0)->child(1))->record().get());

        // A current row without selection (as a list gets on focus) is no pick.
        list.clearSelection();
        list.setCurrentItem(list.item(1), QItemSelectionModel::NoUpdate);
        QCOMPARE(list.currentRow(), 1);
        QCOMPARE(groups::pickedItem(list), nullptr);
        QCOMPARE(records.picked(), nullptr);
    }

    void recordsFollowRowsChangedByOthers()
    {
        OutlineModel tree;
        buildSample(tree);
        QListWidget list;
        GroupListRecords records(list);
        const groups::Entries entries = groups::allLeaves(tree);
        records.fill(entries);

        delete list.takeItem(1);
        QCOMPARE(list.item(1)->text(), QStringLiteral("C"));
        QCOMPARE(records.recordAt(1).get(), entries[2].record.get());
        list.insertItem(0, "stranger");
        QCOMPARE(records.recordAt(0), nullptr);
        QCOMPARE(records.recordAt(1).get(), entries[0].record.get());
        QCOMPARE(records.recordAt(5).get(), entries[5].record.get());
        list.clear();
        QCOMPARE(records.recordAt(0), nullptr);
        list.addItem("later");
        QCOMPARE(records.recordAt(0), nullptr);
    }

    void entriesKeepRecordsOfRemovedLeavesAlive()
    {
        OutlineModel tree;
        buildSample(tree);
        QListWidget list;
        GroupListRecords records(list);
        records.fill(groups::allLeaves(tree));
        std::weak_ptr<noteob> watched = (tree.topLevelNode(1))->record();
        watched.lock()->Notes = {"kept"};

        delete tree.root()->takeChild(1);
        QVERIFY(!watched.expired());
        QCOMPARE(records.recordAt(4)->Notes, LineList{"kept"});

        // Emptying the list releases them.
        list.clear();
        QVERIFY(watched.expired());
    }

    void destroyingTheListIsSafe()
    {
        OutlineModel tree;
        buildSample(tree);
        auto *list = new QListWidget;
        auto *records = new GroupListRecords(*list);
        records->fill(groups::allLeaves(tree));
        std::weak_ptr<noteob> watched = (tree.topLevelNode(0))->record();
        tree.clear();
        QVERIFY(!watched.expired());
        delete list;
        QVERIFY(watched.expired());
    }
};

QTEST_MAIN(GroupsTest)
#include "groups_test.moc"
