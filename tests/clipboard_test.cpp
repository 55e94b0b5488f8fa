// Tests of leaves as clipboard data: the payload round trip, the text and HTML forms, reading indented text.
#include "document/clipboard.h"
#include "document/treefile.h"

#include <QMimeData>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

#include "support.h"

namespace {

// The sample outline; every leaf has a text and a category of its own.
void buildSample(OutlineModel &tree)
{
    support::buildOutline(tree, QStringLiteral("A[B[C D[E]] F] G"));
    for (OutlineNode *node : support::nodesOf(tree)) {
        node->record()->Notes = {"{\\rtf1 " + node->caption().toLatin1() + "}", QByteArray("\0\r\xe9\n", 4)};
        node->record()->setCategory("Cat " + node->caption().toLatin1());
    }
}

QString shapeOf(const QList<OutlineNode *> &tops, OutlineModel &holder)
{
    holder.root()->addChildren(tops);
    return support::describe(holder);
}

} // namespace

class ClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void payloadKeepsSubtree_data()
    {
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("text");
        QTest::newRow("top") << "A" << "A[B[C D[E]] F]" << QList<int>{0, 1, 2, 2, 3, 1}
                             << "A\n\tB\n\t\tC\n\t\tD\n\t\t\tE\n\tF\n";
        QTest::newRow("inner") << "B" << "B[C D[E]]" << QList<int>{0, 1, 1, 2} << "B\n\tC\n\tD\n\t\tE\n";
        QTest::newRow("single") << "E" << "E" << QList<int>{0} << "E\n";
    }
    void payloadKeepsSubtree()
    {
        QFETCH(QString, copied);
        OutlineModel tree;
        buildSample(tree);
        const std::unique_ptr<QMimeData> mime = leavesToMime(*support::findNode(tree, copied));
        QTEST(mime->text(), "text");
        QList<int> levels;
        for (const TreeFileRecord &record : readTreeFile(mime->data(LeavesMimeType)).records) {
            levels << record.level;
        }
        QTEST(levels, "levels");
        OutlineModel pasted;
        QTEST(shapeOf(leavesFromMime(*mime), pasted), "shape");
        for (const OutlineNode *node : support::nodesOf(pasted)) {
            const noteob &original = *support::findNode(tree, node->caption())->record();
            // The text as one entry, which writing gives back byte for byte.
            QCOMPARE(node->record()->Notes.size(), 1);
            QCOMPARE(joinLines(node->record()->Notes), joinLines(original.Notes));
            QCOMPARE(node->record()->Category(), original.Category());
        }
    }

    // The HTML, read as a word processor reads it, lists every caption at its depth with its text below.
    void htmlNestsCaptionsWithTexts()
    {
        OutlineModel tree;
        buildSample(tree);
        support::findNode(tree, QStringLiteral("C"))->setCaption(QStringLiteral("<C&>"));
        QTextDocument html;
        html.setHtml(leavesToMime(*tree.topLevelNode(0))->html());
        QStringList seen;
        for (QTextBlock block = html.begin(); block.isValid(); block = block.next()) {
            const int depth = block.textList() != nullptr ? block.textList()->format().indent() : 0;
            seen << QString::number(depth) + block.text().trimmed();
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), "1A 0A 2B 0B 3<C&> 0C 3D 0D 4E 0E 2F 0F");
    }

    // Past the first MiB of texts, a text comes as its shown text.
    void htmlHoldsTextsPastTheRichOnes()
    {
        OutlineNode top(QStringLiteral("Top"));
        top.record()->Notes = {"{\\rtf1 " + QByteArray(1 << 20, 'x') + "}"};
        top.addChild(new OutlineNode(QStringLiteral("Child")));
        top.child(0)->record()->Notes = {"{\\rtf1 Lower \\b text}"};
        QVERIFY(leavesToMime(top)->html().contains(QLatin1String("Child<p>Lower text</p>")));
    }

    void textGivesOutline_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shape");
        QTest::newRow("tabs") << "A\n\tB\n\t\tC\nD" << "A[B[C]] D";
        QTest::newRow("two spaces a level") << "A\n  B\n    C" << "A[B[C]]";
        QTest::newRow("jump of three") << "A\n\t\t\tB\nC" << "A[B] C";
        QTest::newRow("CR LF") << "A\r\n\tB\r\nC\r\n" << "A[B] C";
        QTest::newRow("CR") << "A\r\tB\rC" << "A[B] C";
        QTest::newRow("blank lines") << "\nA\n\n \t \n\t\n  B" << "A[B]";
        QTest::newRow("deep first line") << "\t\tA\n\t\t\tB\nC" << "A[B] C";
        QTest::newRow("long line cut") << QString(300, 'x') << QString(255, 'x');
        QTest::newRow("no half surrogate") << QString(254, 'x') + QStringLiteral("\U0001F600y") << QString(254, 'x');
        QTest::newRow("nothing") << " \r\n\t" << "";
    }
    void textGivesOutline()
    {
        QFETCH(QString, text);
        auto mime = std::make_unique<QMimeData>();
        mime->setText(text);
        OutlineModel pasted;
        QTEST(shapeOf(leavesFromMime(*mime), pasted), "shape");
        for (const OutlineNode *node : support::nodesOf(pasted)) {
            QVERIFY(node->record()->Notes.isEmpty());
            QCOMPARE(node->record()->Category(), "Unknown");
        }
    }

    void copiesHaveNewRecords_data()
    {
        QTest::addColumn<bool>("throughMime");
        QTest::newRow("paste") << true;
        QTest::newRow("duplicate") << false;
    }
    void copiesHaveNewRecords()
    {
        QFETCH(bool, throughMime);
        OutlineModel tree;
        buildSample(tree);
        OutlineNode *b = support::findNode(tree, QStringLiteral("B"));
        OutlineModel copies;
        QCOMPARE(shapeOf(throughMime ? leavesFromMime(*leavesToMime(*b)) : copyOfSubtree(*b), copies), "B[C D[E]]");
        for (OutlineNode *copy : support::nodesOf(copies)) {
            copy->record()->Notes.first() = "changed";
            copy->record()->setCategory(QByteArray("changed"));
        }
        for (const OutlineNode *node : support::nodesOf(tree)) {
            QCOMPARE(node->record()->Notes.first(), "{\\rtf1 " + node->caption().toLatin1() + "}");
            QCOMPARE(node->record()->Category(), "Cat " + node->caption().toLatin1());
        }
    }

    void damagedPayloadGivesWholeRecords_data()
    {
        using support::recordBytes;
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("shape");
        const QList<QByteArray> records{recordBytes("A", 0, "", "x"), recordBytes("B", 1, "", "y"),
                                        recordBytes("C", 2, "", "z")};
        QTest::newRow("cut in a record") << support::treeFileBytes(records).chopped(2) << "A[B]";
        QTest::newRow("count too large") << support::treeFileBytes(records, 1000) << "A[B[C]]";
        QTest::newRow("negative count") << support::le32(-5) + support::treeFileBytes(records).mid(4) << "";
        const QByteArray longText = recordBytes("B", 1, "", "").chopped(4) + support::le32(1 << 30);
        QTest::newRow("text length past the end") << support::treeFileBytes({records[0], longText}) << "A";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void damagedPayloadGivesWholeRecords()
    {
        QFETCH(QByteArray, payload);
        QMimeData mime;
        mime.setData(LeavesMimeType, payload);
        mime.setText(QStringLiteral("not read"));
        OutlineModel pasted;
        QTEST(shapeOf(leavesFromMime(mime), pasted), "shape");
    }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
