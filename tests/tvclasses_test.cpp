// Tests of the leaf record, its line lists and the node that carries it.
#include "document/outlinemodel.h"
#include "document/tvclasses.h"

#include <QtTest>

class TvClassesTest : public QObject
{
    Q_OBJECT

private slots:
    void newRecordIsUnknownWithNoText();
    void categoryIsCutToTwentyBytes_data();
    void categoryIsCutToTwentyBytes();
    void categoryTextIsWindows1252();
    void builtInCategoriesInBoxOrder();
    void joinEndsEveryEntryWithCrLf_data();
    void joinEndsEveryEntryWithCrLf();
    void splitBreaksAtEveryKindOfLineEnd_data();
    void splitBreaksAtEveryKindOfLineEnd();
    void nodeCarriesItsOwnRecord();
};

void TvClassesTest::newRecordIsUnknownWithNoText()
{
    const noteob record;
    QCOMPARE(record.Category(), QByteArray("Unknown"));
    QCOMPARE(record.categoryText(), QStringLiteral("Unknown"));
    QVERIFY(record.Notes.isEmpty());
}

void TvClassesTest::categoryIsCutToTwentyBytes_data()
{
    QTest::addColumn<QByteArray>("given");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("short") << QByteArray("Memo") << QByteArray("Memo");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("exactly twenty") << QByteArray(20, 'a') << QByteArray(20, 'a');
    QTest::newRow("twenty-five") << QByteArray("abcdefghijklmnopqrstuvwxy") << QByteArray("abcdefghijklmnopqrst");
    QTest::newRow("trailing blank kept") << QByteArray("ToDo ") << QByteArray("ToDo ");
}

void TvClassesTest::categoryIsCutToTwentyBytes()
{
    QFETCH(QByteArray, given);
    QFETCH(QByteArray, stored);
    noteob record;
    record.setCategory(given);
    QCOMPARE(record.Category(), stored);
    noteob fromText;
    fromText.setCategory(QString::fromLatin1(given));
    QCOMPARE(fromText.Category(), stored);
}

void TvClassesTest::categoryTextIsWindows1252()
{
    noteob record;
    record.setCategory(QString::fromUtf8("Caf\u00e9 \u20ac"));
    QCOMPARE(record.Category(), QByteArray("Caf\xe9 \x80"));
    QCOMPARE(record.categoryText(), QString::fromUtf8("Caf\u00e9 \u20ac"));
    // The cut counts bytes of the stored text, one per character.
    record.setCategory(QString(19, QLatin1Char('x')) + QString::fromUtf8("\u20ac\u20ac"));
    QCOMPARE(record.Category(), QByteArray(19, 'x') + '\x80');
}

void TvClassesTest::builtInCategoriesInBoxOrder()
{
    QCOMPARE(CategoryNames.size(), std::size_t(4));
    QCOMPARE(QByteArray(CategoryNames[0]), QByteArray("Default"));
    QCOMPARE(QByteArray(CategoryNames[1]), QByteArray("Memo"));
    QCOMPARE(QByteArray(CategoryNames[2]), QByteArray("ToDo"));
    QCOMPARE(QByteArray(CategoryNames[3]), QByteArray("Unknown"));
}

void TvClassesTest::joinEndsEveryEntryWithCrLf_data()
{
    QTest::addColumn<LineList>("lines");
    QTest::addColumn<QByteArray>("joined");
    QTest::newRow("no entries write nothing") << LineList{} << QByteArray();
    QTest::newRow("one empty entry") << LineList{QByteArray()} << QByteArray("\r\n");
    QTest::newRow("two entries") << LineList{"a", "bc"} << QByteArray("a\r\nbc\r\n");
    QTest::newRow("entry holding breaks") << LineList{"x\r\ny"} << QByteArray("x\r\ny\r\n");
}

void TvClassesTest::joinEndsEveryEntryWithCrLf()
{
    QFETCH(LineList, lines);
    QFETCH(QByteArray, joined);
    QCOMPARE(joinLines(lines), joined);
}

void TvClassesTest::splitBreaksAtEveryKindOfLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LineList>("lines");
    QTest::newRow("empty") << QByteArray() << LineList{};
    QTest::newRow("no break") << QByteArray("abc") << LineList{"abc"};
    QTest::newRow("final CR LF makes no empty entry") << QByteArray("a\r\nb\r\n") << LineList{"a", "b"};
    QTest::newRow("lone CR and lone LF") << QByteArray("a\rb\nc") << LineList{"a", "b", "c"};
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << LineList{"a", "", "b"};
    QTest::newRow("blank lines kept") << QByteArray("a\r\n\r\nb") << LineList{"a", "", "b"};
    QTest::newRow("only a break") << QByteArray("\r\n") << LineList{QByteArray()};
    QTest::newRow("zero byte ends the text") << QByteArray("ab\0cd\r\nef", 9) << LineList{"ab"};
    QTest::newRow("zero byte after a break") << QByteArray("ab\r\n\0x", 6) << LineList{"ab"};
    QTest::newRow("final lone CR") << QByteArray("a\r") << LineList{"a"};
}

void TvClassesTest::splitBreaksAtEveryKindOfLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LineList, lines);
    QCOMPARE(splitLines(bytes), lines);
    // Joined again, every entry ends in CR LF and nothing else of the text changes.
    QByteArray expected;
    for (const QByteArray &line : lines) {
        expected += line + "\r\n";
    }
    QCOMPARE(joinLines(splitLines(bytes)), expected);
}

void TvClassesTest::nodeCarriesItsOwnRecord()
{
    auto record = std::make_shared<noteob>();
    record->Notes = {"text"};
    OutlineModel tree;
    auto *item = new OutlineNode(QStringLiteral("Caption"), record);
    tree.root()->addChild(item);
    QCOMPARE(item->caption(), QStringLiteral("Caption"));
    QCOMPARE(item->record().get(), record.get());
    const Qt::ItemFlags flags = tree.flags(tree.indexOf(item));
    QVERIFY(flags.testFlag(Qt::ItemIsEditable));
    QVERIFY(flags.testFlag(Qt::ItemIsDragEnabled));
    QVERIFY(flags.testFlag(Qt::ItemIsDropEnabled));

    // A node made without a record gets a fresh one of its own.
    auto *plain = new OutlineNode(QStringLiteral("plain"));
    tree.root()->addChild(plain);
    QVERIFY(plain->record() != nullptr);
    QVERIFY(plain->record() != item->record());

    // The record outlives its item while another holder keeps it (a list entry of a pruned leaf),
    // and goes with the last holder.
    std::weak_ptr<noteob> watch = record;
    delete tree.root()->takeChild(0);
    QVERIFY(!watch.expired());
    QCOMPARE(record->Notes, LineList{"text"});
    record.reset();
    QVERIFY(watch.expired());
}

QTEST_MAIN(TvClassesTest)
#include "tvclasses_test.moc"
