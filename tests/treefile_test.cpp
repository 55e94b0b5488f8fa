// Tests of the tree file reader and writer: byte layout, placement, cuts, damaged files and saving safely.
#include "text/errors.h"
#include "document/outlinefile.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "document/tvclasses.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "support.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

using support::FailingDevice;
using support::le32;
using support::recordBytes;

OutlineNode *makeLeaf(const QString &caption, const QByteArray &category, const LineList &notes)
{
    auto record = std::make_shared<noteob>();
    record->setCategory(category);
    record->Notes = notes;
    return new OutlineNode(caption, record);
}

// Levels of the tree's nodes in display order, found by walking parents, not from the walk's levels.
QList<int> depthsInDisplayOrder(const OutlineModel &tree)
{
    QList<int> depths;
    for (const OutlineNode *node : support::nodesOf(tree)) {
        int d = 0;
        for (OutlineNode *p = node->parent(); p; p = p->parent()) {
            ++d;
        }
        depths.append(d);
    }
    return depths;
}

QByteArray written(const OutlineModel &tree)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeTreeFile(buffer, tree);
    return buffer.data();
}


struct ParsedRecord
{
    QByteArray head;  // the 281 bytes before the text length
    QByteArray text;
};

// Splits a well-formed file into records by its layout alone.
QList<ParsedRecord> parseLayout(const QByteArray &bytes, bool &ok)
{
    ok = false;
    QList<ParsedRecord> out;
    if (bytes.size() < 4) {
        return out;
    }
    auto int32At = [&bytes](qsizetype at) {
        return qint32(quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 |
                      quint32(quint8(bytes[at + 2])) << 16 | quint32(quint8(bytes[at + 3])) << 24);
    };
    const qint32 count = int32At(0);
    qsizetype pos = 4;
    for (qint32 i = 0; i < count; ++i) {
        if (pos + 285 > bytes.size()) {
            return out;
        }
        const qint32 n = int32At(pos + 281);
        if (n < 0 || pos + 285 + n > bytes.size()) {
            return out;
        }
        out.append({bytes.mid(pos, 281), bytes.mid(pos + 285, n)});
        pos += 285 + n;
    }
    ok = pos == bytes.size();
    return out;
}

// RTF markup with random formatting, as the editor stores it: lines ending in CR LF.
QByteArray randomFormattedText(QRandomGenerator &rng)
{
    static const char *const words[] = {"alpha", "beta", "gamma", "delta", "\\'e9t\\'e9", "{\\b bold}", "{\\i it}",
                                        "{\\ul under}", "\\{brace\\}", "tab\\tab x"};
    static const char *const paragraphs[] = {"\\pard\\ql ", "\\pard\\qc ", "\\pard\\qr ",
                                             "\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-200\\li200 "};
    QByteArray text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Courier New;}}\r\n";
    const int paras = int(rng.bounded(0, 6));
    for (int p = 0; p < paras; ++p) {
        text += paragraphs[rng.bounded(4)];
        text += rng.bounded(2) ? "\\f0\\fs20 " : "\\f1\\fs" + QByteArray::number(16 + 2 * rng.bounded(10)) + ' ';
        const int n = int(rng.bounded(1, 40));
        for (int w = 0; w < n; ++w) {
            text += words[rng.bounded(10)];
            text += ' ';
        }
        text += "\\par\r\n";
    }
    text += "}\r\n";
    return text;
}

QString randomCaption(QRandomGenerator &rng)
{
    static const QString letters = QStringLiteral("abcXYZ 019-_.\u00e9\u00fc\u20ac\u00df\u03a9");
    const int length = rng.bounded(8) == 0 ? int(rng.bounded(250, 320)) : int(rng.bounded(0, 30));
    QString s;
    for (int i = 0; i < length; ++i) {
        s.append(letters[int(rng.bounded(letters.size()))]);
    }
    return s;
}

QByteArray randomCategory(QRandomGenerator &rng)
{
    static const char *const names[] = {"Default", "Memo", "ToDo", "Unknown", "", "Caf\xe9", "twenty characters!!!"};
    return names[rng.bounded(7)];
}

// The same bytes read from a file, through the reader's file path.
TreeFileContents readThroughFile(const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bytes.tre"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write a fixture");
    }
    file.close();
    return readTreeFile(path);
}

void compareContents(const TreeFileContents &a, const TreeFileContents &b)
{
    QCOMPARE(a.complete, b.complete);
    QCOMPARE(a.announcedCount, b.announcedCount);
    QCOMPARE(a.damageOffset, b.damageOffset);
    QCOMPARE(a.damageReason, b.damageReason);
    QCOMPARE(a.endOffset, b.endOffset);
    QCOMPARE(a.fileSize, b.fileSize);
    QCOMPARE(a.records.size(), b.records.size());
    for (size_t i = 0; i < a.records.size(); ++i) {
        QCOMPARE(a.records[i].caption, b.records[i].caption);
        QCOMPARE(a.records[i].level, b.records[i].level);
        QCOMPARE(a.records[i].category, b.records[i].category);
        QCOMPARE(a.records[i].text, b.records[i].text);
    }
}

} // namespace

class TreeFileTest : public QObject
{
    Q_OBJECT

private slots:
    void writesOneLeafExactlyAsLaidOut();
    void writesEmptyOutlineAsFourZeroBytes();
    void placesRecordsByLevelRules_data();
    void placesRecordsByLevelRules();
    void cutsCaptionTo255AndCategoryTo20();
    void readsShortFileUpToLastWholeRecord_data();
    void readsShortFileUpToLastWholeRecord();
    void hugeLengthFieldOnTinyFileAllocatesNothing();
    void readsNonPositiveTextLengthAsEmptyText();
    void ignoresBytesAfterLastRecordAndPadding();
    void sharedTextsMatchCopiesAndDetachOnWrite();
    void populatesRecordsWithWholeTextAndDecodedCaption();
    void rewritingKeepsTextsEndingInCrLf();
    void roundTripsRandomOutlines();
    void writerReportsRefusedWriteWithNameAndReason();
    void savesThroughTemporaryAndReplacesTarget();
    void failedSaveLeavesOldFileIntact();
    void fullDiskSaveLeavesOldFileIntact();
    void savingKeepsModeAndOwner_data();
    void savingKeepsModeAndOwner();
    void cannotOpenMissingFileOrFolder();
    void deepChainIsPlacedWithoutRecursion();
};

void TreeFileTest::writesOneLeafExactlyAsLaidOut()
{
    OutlineModel tree;
    const QByteArray line = "{\\rtf1 Hello}";
    tree.root()->addChild(makeLeaf(QStringLiteral("O"), "Default", {line}));
    const QByteArray bytes = written(tree);

    const int n = int(line.size()) + 2;
    QCOMPARE(bytes.size(), 4 + 285 + n);
    QByteArray expected = QByteArray::fromHex("01000000");
    expected += char(1);
    expected += 'O';
    expected += QByteArray(254, '\0');
    expected += QByteArray::fromHex("00000000");
    expected += char(7);
    expected += "Default";
    expected += QByteArray(13, '\0');
    expected += le32(n);
    expected += line + "\r\n";
    QCOMPARE(bytes, expected);

    // The same leaf at a deeper place writes its level; two lines each end in CR LF.
    OutlineModel nested;
    OutlineNode *top = makeLeaf(QStringLiteral("A"), "Memo", {});
    nested.root()->addChild(top);
    top->addChild(makeLeaf(QStringLiteral("B"), "ToDo", {"x", ""}));
    QCOMPARE(written(nested),
             le32(2) + recordBytes("A", 0, "Memo", "") + recordBytes("B", 1, "ToDo", "x\r\n\r\n"));
}

void TreeFileTest::writesEmptyOutlineAsFourZeroBytes()
{
    OutlineModel tree;
    QCOMPARE(written(tree), QByteArray::fromHex("00000000"));

    const TreeFileContents contents = readTreeFile(QByteArray::fromHex("00000000"));
    QVERIFY(contents.complete);
    QCOMPARE(contents.recordsRead(), 0);
    QVERIFY(treeFileWarning(QStringLiteral("e.tre"), contents).isEmpty());
}

void TreeFileTest::placesRecordsByLevelRules_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QList<int>>("placed");
    QTest::addColumn<QList<int>>("parents");  // index of each record's parent, -1 at the top

    QTest::newRow("jump of three climbs one per record")
        << QList<int>{0, 3, 3, 3} << QList<int>{0, 1, 2, 3} << QList<int>{-1, 0, 1, 2};
    QTest::newRow("shallower than previous is its sibling") << QList<int>{0, 2, 1} << QList<int>{0, 1, 1}
                                                             << QList<int>{-1, 0, 0};
    QTest::newRow("back to the top") << QList<int>{0, 1, 2, 0} << QList<int>{0, 1, 2, 0}
                                     << QList<int>{-1, 0, 1, -1};
    QTest::newRow("first record's level ignored") << QList<int>{2, 2, 3} << QList<int>{0, 1, 2}
                                                  << QList<int>{-1, 0, 1};
    QTest::newRow("negative first level") << QList<int>{-4, 0} << QList<int>{0, 0} << QList<int>{-1, -1};
    QTest::newRow("later negative level goes to the top") << QList<int>{0, 1, 2, -1, 1}
                                                          << QList<int>{0, 1, 2, 0, 1}
                                                          << QList<int>{-1, 0, 1, -1, 3};
    QTest::newRow("climb stops at the matching level") << QList<int>{0, 1, 2, 3, 2, 1}
                                                       << QList<int>{0, 1, 2, 3, 2, 1}
                                                       << QList<int>{-1, 0, 1, 2, 1, 0};
    QTest::newRow("extreme levels") << QList<int>{0, 2147483647, -2147483647 - 1, 5}
                                    << QList<int>{0, 1, 0, 1} << QList<int>{-1, 0, -1, 2};
}

void TreeFileTest::placesRecordsByLevelRules()
{
    QFETCH(QList<int>, stored);
    QFETCH(QList<int>, placed);
    QFETCH(QList<int>, parents);

    QByteArray bytes = le32(qint32(stored.size()));
    for (int i = 0; i < stored.size(); ++i) {
        bytes += recordBytes("n" + QByteArray::number(i), stored[i], "Default", "");
    }
    const TreeFileContents contents = readTreeFile(bytes);
    QVERIFY(contents.complete);
    QCOMPARE(qsizetype(contents.records.size()), stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        QCOMPARE(contents.records[size_t(i)].level, stored[i]);
    }
    const std::vector<int> levels = placedLevels(contents.records);
    QCOMPARE(QList<int>(levels.begin(), levels.end()), placed);

    OutlineModel tree;
    populateTree(tree, contents);
    QCOMPARE(depthsInDisplayOrder(tree), placed);
    const std::vector<OutlineNode *> order = support::nodesOf(tree);
    QCOMPARE(int(order.size()), stored.size());
    for (int i = 0; i < int(order.size()); ++i) {
        QCOMPARE(order[size_t(i)]->caption(), QStringLiteral("n%1").arg(i));
        OutlineNode *expectedParent = parents[i] < 0 ? nullptr : order[size_t(parents[i])];
        QCOMPARE(order[i]->parent(), expectedParent);
    }
    // Written back, the file stores the placed levels.
    QCOMPARE(written(tree).size(), bytes.size() + 2 * stored.size());
}

void TreeFileTest::cutsCaptionTo255AndCategoryTo20()
{
    OutlineModel tree;
    const QString longCaption = QString(300, QLatin1Char('c'));
    tree.root()->addChild(makeLeaf(longCaption, "Default", {}));
    const QByteArray bytes = written(tree);
    QCOMPARE(bytes.size(), 4 + 285);
    QCOMPARE(quint8(bytes[4]), quint8(255));
    QCOMPARE(bytes.mid(5, 255), QByteArray(255, 'c'));

    OutlineModel back;
    populateTree(back, readTreeFile(bytes));
    QCOMPARE(back.topLevelNode(0)->caption(), longCaption.left(255));

    // A category length byte above 20 reads as the 20 characters the field holds.
    const QByteArray category = "abcdefghijklmnopqrst";
    const TreeFileContents contents =
        readTreeFile(le32(1) + recordBytes("x", 0, category, "", 'Z', -1, 25));
    QVERIFY(contents.complete);
    QCOMPARE(contents.records[0].category, category);
    // A caption length byte counts only the characters, the padding after them is never read.
    const TreeFileContents padded = readTreeFile(le32(1) + recordBytes("abc", 0, "M", "", 'Z', 2));
    QCOMPARE(padded.records[0].caption, QByteArray("ab"));
    QCOMPARE(padded.records[0].category, QByteArray("M"));
    // A length byte past the text reads up to the zero padding, as other programs write it.
    const TreeFileContents zeroPadded = readTreeFile(le32(1) + recordBytes("cap", 0, "Default", "", '\0', 200, 33));
    QCOMPARE(zeroPadded.records[0].caption, QByteArray("cap"));
    QCOMPARE(zeroPadded.records[0].category, QByteArray("Default"));

    // A 25-character category in a record is written as its first 20.
    OutlineModel cat;
    cat.root()->addChild(makeLeaf(QStringLiteral("O"), QByteArray(25, 'k'), {}));
    const QByteArray catBytes = written(cat);
    QCOMPARE(quint8(catBytes[4 + 260]), quint8(20));
    QCOMPARE(catBytes.mid(4 + 261, 20), QByteArray(20, 'k'));
}

void TreeFileTest::readsShortFileUpToLastWholeRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<qint64>("damageOffset");
    QTest::addColumn<QString>("reasonPart");

    const QByteArray r1 = recordBytes("one", 0, "Default", "first text\r\n");
    const QByteArray r2 = recordBytes("two", 1, "Memo", "second text\r\n");
    QTest::newRow("empty file") << QByteArray() << 0 << qint64(0) << QStringLiteral("record count");
    QTest::newRow("count cut") << QByteArray("\x02\x00", 2) << 0 << qint64(0) << QStringLiteral("record count");
    QTest::newRow("negative count") << le32(-3) + r1 << 0 << qint64(0)
                                    << QStringLiteral("record count is negative (-3)");
    QTest::newRow("count larger than records") << le32(5) + r1 + r2 << 2 << qint64(4 + r1.size() + r2.size())
                                               << QStringLiteral("after 2 of 5");
    QTest::newRow("last record cut inside its text")
        << le32(2) + r1 + r2.left(r2.size() - 3) << 1 << qint64(4 + r1.size()) << QStringLiteral("record 2 of 2 ends inside its text");
    QTest::newRow("cut inside caption") << le32(2) + r1 + r2.left(100) << 1 << qint64(4 + r1.size())
                                        << QStringLiteral("inside its caption");
    QTest::newRow("cut inside level") << le32(1) + r1.left(258) << 0 << qint64(4) << QStringLiteral("its level");
    QTest::newRow("cut inside category") << le32(1) + r1.left(270) << 0 << qint64(4) << QStringLiteral("its category");
    QTest::newRow("cut inside text length") << le32(1) + r1.left(283) << 0 << qint64(4)
                                            << QStringLiteral("its text length");
}

void TreeFileTest::readsShortFileUpToLastWholeRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(qint64, damageOffset);
    QFETCH(QString, reasonPart);

    const TreeFileContents contents = readTreeFile(bytes);
    QVERIFY(!contents.complete);
    QCOMPARE(contents.recordsRead(), qint64(records));
    QCOMPARE(contents.damageOffset, damageOffset);
    QVERIFY2(contents.damageReason.contains(reasonPart), qPrintable(contents.damageReason));
    if (records > 0) {
        QCOMPARE(contents.records[0].caption, QByteArray("one"));
        QCOMPARE(contents.records[0].text, QByteArray("first text\r\n"));
    }
    const QString warning = treeFileWarning(QStringLiteral("plan.tre"), contents);
    QVERIFY2(warning.startsWith(QStringLiteral("plan.tre: read %1 of ").arg(records)), qPrintable(warning));
    QVERIFY(warning.contains(QStringLiteral("at byte %1").arg(damageOffset)));

    OutlineModel tree;
    populateTree(tree, contents);
    QCOMPARE(depthsInDisplayOrder(tree).size(), records);

    // Read from a file the same bytes give the same result.
    compareContents(readThroughFile(bytes), contents);
}

void TreeFileTest::hugeLengthFieldOnTinyFileAllocatesNothing()
{
    // A text length of 2 GiB on a file of 300 bytes: the reader must check before allocating.
    QByteArray bytes = le32(1) + recordBytes("big", 0, "Memo", "");
    bytes.chop(4);
    bytes += le32(0x7fffffff);
    bytes += "tiny";
    const TreeFileContents contents = readTreeFile(bytes);
    QVERIFY(!contents.complete);
    QCOMPARE(contents.recordsRead(), 0);
    QVERIFY(contents.damageReason.contains(QStringLiteral("2147483647 bytes needed, 4 left")));

    // A huge count on a tiny file reserves room for no more records than the bytes can hold.
    const TreeFileContents manyCount = readTreeFile(le32(0x7fffffff) + recordBytes("a", 0, "", "") + "xx");
    QCOMPARE(manyCount.recordsRead(), 1);
    QVERIFY2(manyCount.records.capacity() <= 2, qPrintable(QString::number(manyCount.records.capacity())));
    QVERIFY(!manyCount.complete);
}

void TreeFileTest::readsNonPositiveTextLengthAsEmptyText()
{
    QByteArray rec = recordBytes("neg", 0, "Memo", "");
    rec.chop(4);
    rec += le32(-20);
    const TreeFileContents contents = readTreeFile(le32(2) + rec + recordBytes("next", 1, "ToDo", "t"));
    QVERIFY(contents.complete);
    QCOMPARE(contents.recordsRead(), 2);
    QVERIFY(contents.records[0].text.isEmpty());
    QCOMPARE(contents.records[1].caption, QByteArray("next"));
    QCOMPARE(contents.records[1].text, QByteArray("t"));
    compareContents(readThroughFile(le32(3) + rec + recordBytes("next", 1, "ToDo", "t") + recordBytes("", 0, "", "")),
                    readTreeFile(le32(3) + rec + recordBytes("next", 1, "ToDo", "t") + recordBytes("", 0, "", "")));
}

void TreeFileTest::ignoresBytesAfterLastRecordAndPadding()
{
    const QByteArray body = le32(1) + recordBytes("cap", 4, "Memo", "abc", '\xee');
    const TreeFileContents contents = readTreeFile(body + "trailing garbage");
    QVERIFY(contents.complete);
    QCOMPARE(contents.recordsRead(), 1);
    QCOMPARE(contents.endOffset, qint64(body.size()));
    QCOMPARE(contents.fileSize, qint64(body.size() + 16));
    QCOMPARE(contents.records[0].caption, QByteArray("cap"));
    QCOMPARE(contents.records[0].category, QByteArray("Memo"));
    QCOMPARE(contents.records[0].text, QByteArray("abc"));
}

void TreeFileTest::sharedTextsMatchCopiesAndDetachOnWrite()
{
    const QByteArray bytes = le32(4) + recordBytes("a", 0, "Memo", "first") + recordBytes("b", 1, "ToDo", "second") +
                             recordBytes("c", 1, "", "") + recordBytes("d", 0, "Default", "last");
    QByteArray owned = bytes;
    owned.detach();
    TreeFileContents shared = readTreeFile(std::move(owned));
    const TreeFileContents copied = readTreeFile(bytes);
    QVERIFY(shared.complete);
    QCOMPARE(shared.records.size(), copied.records.size());
    for (size_t i = 0; i < shared.records.size(); ++i) {
        QCOMPARE(shared.records[i].caption, copied.records[i].caption);
        QCOMPARE(shared.records[i].category, copied.records[i].category);
        QCOMPARE(shared.records[i].level, copied.records[i].level);
        QCOMPARE(shared.records[i].text, copied.records[i].text);
    }
    // Texts larger than the reader's window, between small ones, read from a file as from memory.
    const QByteArray large = le32(4) + recordBytes("s", 0, "", "small") + recordBytes("L", 1, "M", QByteArray(1536 * 1024, 'L')) +
                             recordBytes("t", 1, "", "tiny") + recordBytes("L2", 0, "", QByteArray(3 << 20, 'm')) + "tail";
    compareContents(readThroughFile(large), readTreeFile(large));
    compareContents(readThroughFile(large.left(large.size() - 10)), readTreeFile(large.left(large.size() - 10)));

    // Read from a file, texts are shared the same way and read the same.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.tre"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const TreeFileContents fromFile = readTreeFile(path);
    QCOMPARE(fromFile.records.size(), copied.records.size());
    for (size_t i = 0; i < fromFile.records.size(); ++i) {
        QCOMPARE(fromFile.records[i].text, copied.records[i].text);
        QCOMPARE(fromFile.records[i].caption, copied.records[i].caption);
    }
    // A text outlives the rest of the file's records, and writing to it changes no other text.
    QByteArray first = shared.records[0].text;
    QByteArray second = shared.records[1].text;
    shared.records.clear();
    first.append(" more");
    first[0] = 'F';
    QCOMPARE(first, QByteArray("First more"));
    QCOMPARE(second, QByteArray("second"));
    second.prepend("a ");
    QCOMPARE(second, QByteArray("a second"));
    QCOMPARE(first, QByteArray("First more"));
    // The caller's copy of the bytes is never written to.
    QByteArray kept = bytes;
    const TreeFileContents fromShared = readTreeFile(QByteArray(kept));
    QCOMPARE(kept, bytes);
    QCOMPARE(fromShared.records[3].text, QByteArray("last"));
}

void TreeFileTest::populatesRecordsWithWholeTextAndDecodedCaption()
{
    const QByteArray text = "{\\rtf1 line one\\par\r\nline two\\par\r\n}\r\n";
    const QByteArray bytes = le32(3) + recordBytes("Caf\xe9 \x80", 0, "Memo", text) +
                             recordBytes("child", 1, "", "") + recordBytes("grand", 2, "ToDo", "x\ry\nz");
    OutlineModel tree;
    populateTree(tree, readTreeFile(bytes));

    QCOMPARE(tree.topLevelCount(), 1);
    OutlineNode *top = tree.topLevelNode(0);
    QCOMPARE(top->caption(), QString::fromUtf8("Caf\u00e9 \u20ac"));
    const NoteRef record = top->record();
    QVERIFY(record);
    QCOMPARE(record->Notes, LineList{text.chopped(2)});
    QCOMPARE(record->Category(), QByteArray("Memo"));
    OutlineNode *child = top->child(0);
    QVERIFY(child);
    QCOMPARE(child->record()->Notes, LineList{QByteArray()});
    QCOMPARE(child->record()->Category(), QByteArray());
    OutlineNode *grand = child->child(0);
    QVERIFY(grand);
    QCOMPARE(grand->record()->Notes, LineList{QByteArray("x\ry\nz")});
    QCOMPARE(grand->record()->Category(), QByteArray("ToDo"));
}

void TreeFileTest::rewritingKeepsTextsEndingInCrLf()
{
    // A text without a final CR LF gains one once (a lone CR or LF becomes one), then stays.
    const QByteArray original = le32(5) + recordBytes("a", 0, "Default", "{\\rtf1 x}\r\n") +
                                recordBytes("b", 1, "Memo", "") + recordBytes("c", 0, "ToDo", "no break") +
                                recordBytes("d", 0, "", "lf\n") + recordBytes("e", 0, "", "cr\n\r\r\n\r");
    const QByteArray saved = le32(5) + recordBytes("a", 0, "Default", "{\\rtf1 x}\r\n") +
                             recordBytes("b", 1, "Memo", "\r\n") + recordBytes("c", 0, "ToDo", "no break\r\n") +
                             recordBytes("d", 0, "", "lf\r\n") + recordBytes("e", 0, "", "cr\n\r\r\n\r\n");
    OutlineModel tree;
    populateTree(tree, readTreeFile(original));
    QCOMPARE(written(tree), saved);
    OutlineModel again;
    populateTree(again, readTreeFile(saved));
    QCOMPARE(written(again), saved);
}

void TreeFileTest::roundTripsRandomOutlines()
{
    const quint32 seed = qEnvironmentVariableIsSet("QUILLAX_SEED") ? quint32(qEnvironmentVariableIntValue("QUILLAX_SEED"))
                                                                   : QRandomGenerator::global()->generate();
    qInfo("round-trip seed %u (set QUILLAX_SEED to repeat)", seed);
    QRandomGenerator rng(seed);
    for (int round = 0; round < 40; ++round) {
        OutlineModel tree;
        QList<OutlineNode *> path;
        const int leaves = int(rng.bounded(0, 60));
        for (int i = 0; i < leaves; ++i) {
            const int level = path.isEmpty() ? 0 : int(rng.bounded(0, qMin(int(path.size()), 8) + 1));
            LineList notes = splitLines(randomFormattedText(rng));
            const QByteArray category = randomCategory(rng);
            auto *leaf = makeLeaf(randomCaption(rng), category, notes);
            path.resize(level);
            if (level == 0) {
                tree.root()->addChild(leaf);
            } else {
                path.back()->addChild(leaf);
            }
            path.append(leaf);
        }
        const QByteArray first = written(tree);
        OutlineModel loaded;
        populateTree(loaded, readTreeFile(first));
        const QByteArray second = written(loaded);

        bool ok1 = false;
        bool ok2 = false;
        const QList<ParsedRecord> a = parseLayout(first, ok1);
        const QList<ParsedRecord> b = parseLayout(second, ok2);
        QVERIFY2(ok1 && ok2, qPrintable(QStringLiteral("seed %1 round %2").arg(seed).arg(round)));
        QCOMPARE(a.size(), leaves);
        QCOMPARE(b.size(), leaves);
        QCOMPARE(first.left(4), second.left(4));
        for (int i = 0; i < leaves; ++i) {
            QCOMPARE(b[i].head, a[i].head);
            QCOMPARE(b[i].text, a[i].text);
        }
        QCOMPARE(second, first);
    }
}

void TreeFileTest::writerReportsRefusedWriteWithNameAndReason()
{
    OutlineModel tree;
    tree.root()->addChild(makeLeaf(QStringLiteral("O"), "Default", {QByteArray(5000, 'x')}));
    const QByteArray full = written(tree);
    for (const qint64 limit : {qint64(0), qint64(3), qint64(300), qint64(full.size() - 1)}) {
        FailingDevice device(limit);
        try {
            writeTreeFile(device, tree, QStringLiteral("/data/plan.tre"));
            QFAIL("a refused write must raise an error");
        } catch (const FileError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot write file /data/plan.tre: No space left on device"));
        }
        QCOMPARE(device.data, full.left(limit));
    }
    FailingDevice enough(full.size());
    writeTreeFile(enough, tree, QStringLiteral("x"));
    QCOMPARE(enough.data, full);
}

void TreeFileTest::savesThroughTemporaryAndReplacesTarget()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("plan.tre"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(10000, 'o'));
    }
    OutlineModel tree;
    auto *top = makeLeaf(QStringLiteral("Top"), "Memo", {"{\\rtf1 a}"});
    tree.root()->addChild(top);
    top->addChild(makeLeaf(QStringLiteral("Child"), "ToDo", {}));
    saveTreeFile(path, tree);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), written(tree));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plan.tre")});

    // Read back from the path, the outline has the same shape.
    const TreeFileContents contents = readTreeFile(path);
    QVERIFY(contents.complete);
    QCOMPARE(contents.recordsRead(), 2);
    QCOMPARE(contents.records[1].level, 1);
}

void TreeFileTest::failedSaveLeavesOldFileIntact()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    OutlineModel tree;
    tree.root()->addChild(makeLeaf(QStringLiteral("O"), "Default", {}));

    const QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/plan.tre"));
    try {
        saveTreeFile(missingFolder, tree);
        QFAIL("saving into a missing folder must fail");
    } catch (const FileError &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot create file %1").arg(missingFolder));
    }
    QVERIFY(!QFile::exists(missingFolder));

    // A folder of the chosen name is not replaced.
    const QString folder = dir.filePath(QStringLiteral("folder.tre"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY_THROWS_EXCEPTION(FileError, saveTreeFile(folder, tree));
    QVERIFY(QFileInfo(folder).isDir());
}

void TreeFileTest::fullDiskSaveLeavesOldFileIntact()
{
    if (geteuid() != 0) {
        QSKIP("needs root to mount a small tmpfs");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString mountPoint = dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkdir(mountPoint));
    if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                   QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint}) != 0) {
        QSKIP("cannot mount a tmpfs here");
    }
    struct Unmount
    {
        QString point;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {point}); }
    } unmount{mountPoint};

    const QString path = mountPoint + QStringLiteral("/plan.tre");
    const QByteArray old = QByteArray("old contents that must survive\r\n").repeated(100);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(old), old.size());
    }
    OutlineModel tree;
    for (int i = 0; i < 40; ++i) {
        tree.root()->addChild(makeLeaf(QStringLiteral("leaf %1").arg(i), "Memo", {QByteArray(4000, 'z')}));
    }
    try {
        saveTreeFile(path, tree);
        QFAIL("a save larger than the disk must fail");
    } catch (const FileError &e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Cannot write file %1: ").arg(path)), qPrintable(e.message()));
        QVERIFY2(e.message().size() > QStringLiteral("Cannot write file %1: ").arg(path).size(), "a reason is given");
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
    f.close();
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plan.tre")});

    // A small outline still fits and replaces the old file.
    OutlineModel small;
    small.root()->addChild(makeLeaf(QStringLiteral("O"), "Default", {"t"}));
    saveTreeFile(path, small);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), written(small));
}

void TreeFileTest::savingKeepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");   // a file without any write permission is not replaced
    QTest::addColumn<int>("owner");  // -1: the process's own
    QTest::newRow("read-only file is not replaced") << 0444 << -1;
    QTest::newRow("mode kept, set-group-ID bit too") << 02640 << -1;
    QTest::newRow("another user's file keeps its owner") << 0604 << 65534;
}

void TreeFileTest::savingKeepsModeAndOwner()
{
    QFETCH(int, mode);
    QFETCH(int, owner);
    if (owner >= 0 && geteuid() != 0) {
        QSKIP("only root gives a file to another user");
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.tre"));
    const QByteArray native = QFile::encodeName(path);
    saveTreeRecords(path, {});
    QVERIFY(::chmod(native.constData(), mode_t(mode)) == 0 &&
            (owner < 0 || ::chown(native.constData(), uid_t(owner), gid_t(owner)) == 0));
    const bool refused = (mode & 0222) == 0;
    OutlineModel tree;
    tree.root()->addChild(makeLeaf(QStringLiteral("O"), "Default", {"t"}));
    QString message;
    try {
        saveTreeFile(path, tree);
    } catch (const FileError &e) {
        message = e.message();
    }
    QCOMPARE(message, refused ? QStringLiteral("Cannot create file %1").arg(path) : QString());
    struct stat status {};
    QCOMPARE(::stat(native.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), mode);
    QCOMPARE(int(status.st_uid), owner < 0 ? int(geteuid()) : owner);
    QCOMPARE(int(status.st_gid), owner < 0 ? int(getegid()) : owner);
    QCOMPARE(readTreeFile(path).recordsRead(), refused ? 0 : 1);
}

void TreeFileTest::cannotOpenMissingFileOrFolder()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.tre"));
    // Opening fails before any text is read, so a window that lets its old outline go between the two
    // steps keeps it when the file cannot be opened.
    for (const QString &path : {missing, dir.path()}) {
        try {
            TreeFileReading reading(path);
            QFAIL("a missing file or a folder must raise an error");
        } catch (const FileError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot open file %1").arg(path));
        }
    }
    // An empty file opens and reads no leaf: it is incomplete, not unopenable.
    const QString empty = dir.filePath(QStringLiteral("empty.tre"));
    QFile f(empty);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TreeFileReading emptyReading(empty);
    const TreeFileContents contents = emptyReading.readTexts();
    QVERIFY(!contents.complete);
    QCOMPARE(contents.recordsRead(), 0);

    // A whole file: every text is there after the second step.
    const QString whole = dir.filePath(QStringLiteral("whole.tre"));
    QFile w(whole);
    QVERIFY(w.open(QIODevice::WriteOnly));
    w.write(le32(2) + recordBytes("a", 0, "", "first text") + recordBytes("b", 1, "", "second"));
    w.close();
    TreeFileReading reading(whole);
    const TreeFileContents read = reading.readTexts();
    QVERIFY(read.complete);
    QCOMPARE(read.records.at(0).text, QByteArray("first text"));
    QCOMPARE(read.records.at(1).text, QByteArray("second"));
}

void TreeFileTest::deepChainIsPlacedWithoutRecursion()
{
    // Each record one level deeper than the one before: a chain far deeper than a view can lay out.
    constexpr int Depth = 30000;
    TreeFileContents contents;
    for (int i = 0; i < Depth; ++i) {
        TreeFileRecord record;
        record.caption = QByteArray::number(i);
        record.level = i;
        contents.records.push_back(record);
    }
    OutlineModel tree;
    populateTree(tree, contents);

    std::vector<OutlineNode *> chain;
    outline::walk(tree, [&](OutlineNode *node, int level) {
        QCOMPARE(node->parent(), chain.empty() ? nullptr : chain.back());
        QCOMPARE(level, int(chain.size()));
        chain.push_back(node);
    });
    QCOMPARE(int(chain.size()), Depth);
    QVERIFY(written(tree).size() > 4 + Depth * TreeFileRecordHeader);
}

QTEST_MAIN(TreeFileTest)
#include "treefile_test.moc"
