// Tests of the Groups list control on a bare tree and list: filling, picking, records kept alive.
#include "app/grouplist.h"
#include "document/groups.h"
#include "document/outlinemodel.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "support.h"

using support::buildGroupsSample;

namespace {

using support::listTexts;

} // namespace

class GroupListTest : public QObject
{
    Q_OBJECT

private slots:
    void fillReplacesEntriesAndPicksNothing()
    {
        OutlineModel tree;
        buildGroupsSample(tree);
        QListWidget list;
        list.addItems({"old 1", "old 2"});
        list.setCurrentRow(1);
        GroupListRecords records(list);
        QCOMPARE(GroupListRecords::of(list), &records);
        QCOMPARE(records.recordAt(0), nullptr);
        QSignalSpy picked(&list, &QListWidget::itemSelectionChanged);
        QSignalSpy rowChanged(&list, &QListWidget::currentRowChanged);

        const groups::Leaves entries = groups::allLeaves(tree);
        records.fill(entries);

        QCOMPARE(listTexts(list), (QStringList{"A", "B", "C", "D", "E", "F"}));
        for (int row = 0; row < list.count(); ++row) {
            QCOMPARE(records.recordAt(row).get(), entries[size_t(row)]->record().get());
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
        buildGroupsSample(tree);
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
        buildGroupsSample(tree);
        QListWidget list;
        GroupListRecords records(list);
        const groups::Leaves entries = groups::allLeaves(tree);
        records.fill(entries);

        delete list.takeItem(1);
        QCOMPARE(list.item(1)->text(), QStringLiteral("C"));
        QCOMPARE(records.recordAt(1).get(), entries[2]->record().get());
        list.insertItem(0, "stranger");
        QCOMPARE(records.recordAt(0), nullptr);
        QCOMPARE(records.recordAt(1).get(), entries[0]->record().get());
        QCOMPARE(records.recordAt(5).get(), entries[5]->record().get());
        list.clear();
        QCOMPARE(records.recordAt(0), nullptr);
        list.addItem("later");
        QCOMPARE(records.recordAt(0), nullptr);
    }

    void entriesKeepRecordsOfRemovedLeavesAlive()
    {
        OutlineModel tree;
        buildGroupsSample(tree);
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
        buildGroupsSample(tree);
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

QTEST_MAIN(GroupListTest)
#include "grouplist_test.moc"
