// Tests of the TreeLine reader: titles from title lines, texts from fields, clones, gzip, bad files refused.
#include "document/formats/gunzip.h"
#include "document/formats/importoutline.h"
#include "text/convert.h"
#include "text/encoding.h"
#include "text/richtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <zlib.h>

using namespace formats;

namespace {

// A node type: fields written "Name" (Text) or "Name:Type", optionally "Name:Type:format".
QJsonObject type(const QString &name, const QString &titleLine, const QStringList &fields, bool formatHtml = false)
{
    QJsonArray list;
    for (const QString &field : fields) {
        const QStringList parts = field.split(QLatin1Char(':'));
        QJsonObject object{{"fieldname", parts[0]}, {"fieldtype", parts.value(1, "Text")}};
        if (parts.size() > 2) {
            object.insert("format", parts.mid(2).join(QLatin1Char(':')));
        }
        list.append(object);
    }
    QJsonObject object{{"formatname", name}, {"titleline", titleLine}, {"fields", list}, {"outputlines", QJsonArray{}}};
    if (formatHtml) {
        object.insert("formathtml", true);
    }
    return object;
}

struct Node
{
    QString uid;
    QString type;
    QJsonObject data;
    QStringList children;
};

QByteArray file(const QJsonArray &types, const std::vector<Node> &nodes, const QStringList &tops)
{
    QJsonArray list;
    for (const Node &node : nodes) {
        list.append(QJsonObject{{"uid", node.uid},
                                {"format", node.type},
                                {"data", node.data},
                                {"children", QJsonArray::fromStringList(node.children)}});
    }
    const QJsonObject root{
        {"formats", types},
        {"nodes", list},
        {"properties", QJsonObject{{"tlversion", "3.1.0"}, {"topnodes", QJsonArray::fromStringList(tops)}}}};
    return QJsonDocument(root).toJson();
}

// Named nodes of one type "T" with title {*Name*}: "a:b,c" is node a with children b and c.
QByteArray simple(const QStringList &nodes, const QStringList &tops)
{
    std::vector<Node> list;
    for (const QString &node : nodes) {
        const QString uid = node.section(QLatin1Char(':'), 0, 0);
        const QString children = node.section(QLatin1Char(':'), 1);
        list.push_back({uid, "T", {{"Name", uid.toUpper()}}, children.isEmpty() ? QStringList() : children.split(',')});
    }
    return file({type("T", "{*Name*}", {"Name"})}, list, tops);
}

// The bytes repeated times over, compressed as gzip does.
QByteArray gzip(const QByteArray &bytes, int times = 1)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out;
    char chunk[65536];
    for (int i = 0; i < times; ++i) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
        stream.avail_in = uInt(bytes.size());
        const int flush = i + 1 == times ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(chunk);
            stream.avail_out = sizeof chunk;
            deflate(&stream, flush);
            out.append(chunk, qsizetype(sizeof chunk - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

QString describe(const std::vector<TreeFileRecord> &records)
{
    QStringList parts;
    for (const TreeFileRecord &record : records) {
        parts << QStringLiteral("%1 %2 [%3]")
                     .arg(record.level)
                     .arg(encoding::fromCp1252(record.caption), QString::fromLatin1(record.category));
    }
    return parts.join(QLatin1String(" | "));
}

std::vector<TreeFileRecord> read(const QByteArray &bytes)
{
    LeafSink sink;
    readTreeLine(bytes, sink);
    return sink.takeRecords();
}

} // namespace

class TreeLineTest : public QObject
{
    Q_OBJECT

private slots:
    void readsNodesWithTheirTitles_data();
    void readsNodesWithTheirTitles();
    void readsFieldsAsText_data();
    void readsFieldsAsText();
    void keepsFormattingOfRichFields();
    void refusesBadFilesSayingWhere_data();
    void refusesBadFilesSayingWhere();
};

void TreeLineTest::readsNodesWithTheirTitles_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("children by uid, several tops")
        << simple({"a:b,c", "b:d", "c", "d", "e"}, {"a", "e"}) << "0 A [T] | 1 B [T] | 2 D [T] | 1 C [T] | 0 E [T]";
    QTest::newRow("clone under two parents, subtree under each")
        << simple({"a:c", "b:c", "c:d", "d"}, {"a", "b"})
        << "0 A [T] | 1 C [T] | 2 D [T] | 0 B [T] | 1 C [T] | 2 D [T]";
    QTest::newRow("unknown children and tops left out") << simple({"a:x,b", "b"}, {"y", "a"}) << "0 A [T] | 1 B [T]";
    QTest::newRow("same file gzip-compressed") << gzip(simple({"a:b", "b"}, {"a"})) << "0 A [T] | 1 B [T]";

    const QJsonArray person{type("P", "  {*First*}   {*Last*} ({*Missing*}) ", {"First", "Last"}),
                            type("R", "{*Name*}: {*&First*}, {*#Level2*} grandchildren", {"Name"}),
                            type("C", "{*Name*} of {**Name*}, in {*?Name*}; {*!File_Name*}", {"Name"})};
    QTest::newRow("title line fields, white space run together, unknown field as written")
        << file(person, {{"p", "P", {{"First", "Ada"}, {"Last", "Lovelace"}}, {}}}, {"p"})
        << "0 Ada Lovelace ({*Missing*}) [P]";
    QTest::newRow("children's fields, descendant count, ancestors")
        << file(person,
                {{"r", "R", {{"Name", "Root"}}, {"p1", "p2"}},
                 {"p1", "P", {{"First", "Ann"}}, {"c"}},
                 {"p2", "P", {{"First", "Bob"}}, {}},
                 {"c", "C", {{"Name", "Cy"}}, {}}},
                {"r"})
        << "0 Root: Ann, Bob, 1 grandchildren [R] | 1 Ann  ({*Missing*}) [P] | 2 Cy of , in Root; [C] | 1 Bob  "
           "({*Missing*}) [P]";
    QTest::newRow("markup removed, first line only")
        << file({type("T", "{*Name*}!", {"Name"})},
                {{"a", "T", {{"Name", "<b>Fish</b> &amp; chips<br />\nsecond line"}}, {}}}, {"a"})
        << "0 Fish & chips! [T]";
    QTest::newRow("dates and booleans formatted as TreeLine shows them")
        << file({type("T", "{*Day*} {*Done*}", {"Day:Date:%B %-d, %Y", "Done:Boolean:done/open"})},
                {{"a", "T", {{"Day", "2004-03-05"}, {"Done", "true"}}, {}}}, {"a"})
        << "0 March 5, 2004 done [T]";
    QTest::newRow("node of a type the file lacks")
        << file({}, {{"a", "GONE", {{"Name", "x"}}, {}}}, {"a"}) << "0  [GONE]";
    QTest::newRow("no nodes") << file({}, {}, {}) << "";
}

void TreeLineTest::readsNodesWithTheirTitles()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, expected);
    QCOMPARE(describe(read(source)), expected);
}

void TreeLineTest::readsFieldsAsText_data()
{
    QTest::addColumn<QJsonObject>("data");
    QTest::addColumn<QString>("expected");
    // Type: title {*Name*}; fields Name, Rich (Text), Html, Spaced, Day (Date), Cost (Number).
    QTest::newRow("title field left out, others as Field: value")
        << QJsonObject{{"Name", "n"}, {"Rich", "one<br />\ntwo"}} << "Rich: one\ntwo\n";
    QTest::newRow("field order of the type, empty ones left out")
        << QJsonObject{{"Name", "n"}, {"Day", "1999-12-31"}, {"Html", "&lt;x&gt;\nsame line"}, {"Rich", ""}}
        << "Html: <x> same line\nDay: 12/31/1999\n";
    QTest::newRow("spaced text keeps its spaces and lines")
        << QJsonObject{{"Name", "n"}, {"Spaced", "a   b\nc &amp; d"}} << "Spaced: a   b\nc & d\n";
    QTest::newRow("a title field of several lines is kept whole")
        << QJsonObject{{"Name", "first<br />second"}} << "Name: first\nsecond\n";
    QTest::newRow("numbers in the type's number format")
        << QJsonObject{{"Name", "n"}, {"Cost", "1234.567"}} << "Cost: 1,234.57\n";
    QTest::newRow("nothing but the title") << QJsonObject{{"Name", "n"}} << "";
}

void TreeLineTest::readsFieldsAsText()
{
    QFETCH(QJsonObject, data);
    QFETCH(QString, expected);
    const QByteArray source =
        file({type("T", "{*Name*}", {"Name", "Rich", "Html:HtmlText", "Spaced:SpacedText", "Day:Date:%m/%d/%Y",
                   "Cost:Number:#\\,##0.00"})},
             {{"a", "T", data, {}}}, {"a"});
    const std::vector<TreeFileRecord> records = read(source);
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].text.isEmpty(), expected.isEmpty());
    if (!expected.isEmpty()) {
        QTextDocument document;
        richtext::loadBytes(document, records[0].text);
        QCOMPARE(convert::plainText(document), expected);
    }
}

void TreeLineTest::keepsFormattingOfRichFields()
{
    const QByteArray source =
        file({type("T", "{*Name*}", {"Name", "Text"})},
             {{"a", "T", {{"Name", "n"}, {"Text", "plain <b>bold</b> <img src=\"/etc/passwd\">"}}, {}}}, {"a"});
    const std::vector<TreeFileRecord> records = read(source);
    QCOMPARE(records.size(), size_t(1));
    QTextDocument document;
    richtext::loadBytes(document, records[0].text);
    QTextCursor cursor = document.find(QStringLiteral("bold"));
    QVERIFY(!cursor.isNull());
    QVERIFY(cursor.charFormat().fontWeight() >= QFont::Bold);
    QVERIFY(!document.find(QStringLiteral("plain")).charFormat().font().bold());
}

void TreeLineTest::refusesBadFilesSayingWhere_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("message");
    QTest::addColumn<qint64>("offset");

    QStringList chain;
    for (int i = 0; i < 10000; ++i) {
        chain << QStringLiteral("n%1:n%2").arg(i).arg(i + 1);
    }
    chain << QStringLiteral("n10000");
    QStringList bomb;
    for (int i = 0; i < 40; ++i) {
        bomb << QStringLiteral("n%1:n%2,n%2").arg(i).arg(i + 1);
    }
    bomb << QStringLiteral("n40");
    const QByteArray good = simple({"a:b", "b"}, {"a"});
    QByteArray damaged = gzip(good);
    damaged[12] = char(damaged[12] ^ 0x55);

    QTest::newRow("malformed JSON, line and column") << QByteArray("{\n  \"formats\": [],\n  \"nodes\": [,]\n}")
                                                     << "line 3, column 14 (byte 32): illegal value" << qint64(32);
    QTest::newRow("not an object") << QByteArray("[1, 2]") << "not a TreeLine file: the file holds no JSON object"
                                   << qint64(0);
    QTest::newRow("no top nodes") << QByteArray("{\"formats\": [], \"nodes\": [], \"properties\": {}}")
                                  << "\"properties\" has no \"topnodes\" list" << qint64(0);
    QTest::newRow("node its own parent") << simple({"a:a"}, {"a"}) << "node \"a\" is its own ancestor" << qint64(-1);
    QTest::newRow("clone cycle") << simple({"a:b", "b:c", "c:b"}, {"a"}) << "node \"b\" is its own ancestor"
                                 << qint64(-1);
    QTest::newRow("clone bomb, 2^40 leaves")
        << simple(bomb, {"n0"}) << "would make more than 100656 leaves" << qint64(-1);
    QTest::newRow("10,000 deep") << simple(chain, {"n0"}) << "node \"n1000\" lies deeper than 1000 levels"
                                 << qint64(-1);
    QTest::newRow("truncated gzip") << gzip(good).left(40) << "byte 40: the compressed data ends early" << qint64(40);
    QTest::newRow("damaged gzip") << damaged << "the compressed data is damaged" << qint64(-2);
    QTest::newRow("gzip bomb, 64 MB in 64 KB") << gzip(QByteArray(1 << 20, ' '), 64) << "grows past 16 MB" << qint64(-2);
}

void TreeLineTest::refusesBadFilesSayingWhere()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, message);
    QFETCH(qint64, offset);
    LeafSink sink;
    try {
        readTreeLine(source, sink);
        QFAIL("read without an error");
    } catch (const ImportError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        if (offset == -2) {
            QVERIFY(error.offset() >= 0 && error.offset() <= source.size());
        } else {
            QCOMPARE(error.offset(), offset);
        }
    }
}

QTEST_MAIN(TreeLineTest)
#include "treeline_test.moc"
