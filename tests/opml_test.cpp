// Tests of the OPML reader and writer: outlines, notes and categories read, bad sources refused, round trips.
#include "document/formats/importoutline.h"
#include "document/formats/outlineexport.h"
#include "text/convert.h"
#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <QtTest>

#include "support.h"

using namespace formats;

namespace {

using support::FailingDevice;

QByteArray opml(const QByteArray &body, const QByteArray &head = "<head><title>t</title></head>")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">" + head + "<body>" + body +
           "</body></opml>\n";
}

// The records as "level caption [category]" joined by " | ".
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

QString plainOf(const QByteArray &stored)
{
    if (stored.isEmpty()) {
        return QString();
    }
    QTextDocument document;
    richtext::loadBytes(document, stored);
    return convert::plainText(document);
}

std::vector<TreeFileRecord> read(const QByteArray &bytes)
{
    LeafSink sink;
    readOpml(bytes, sink);
    return sink.takeRecords();
}

QByteArray rtfOf(const QString &plain)
{
    QTextDocument document;
    document.setPlainText(plain);
    return rtf::write(document);
}

QByteArray written(const std::vector<ExportLeaf> &leaves, const Progress &progress = {})
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeOpml(
        buffer, [&](const LeafVisitor &visit, bool) { std::for_each(leaves.begin(), leaves.end(), visit); }, "Title",
        progress);
    return buffer.data();
}


} // namespace

class OpmlTest : public QObject
{
    Q_OBJECT

private slots:
    void readsOutlinesByNesting_data();
    void readsOutlinesByNesting();
    void readsNotesWithTheirLineBreaks_data();
    void readsNotesWithTheirLineBreaks();
    void refusesBadSourcesSayingWhere_data();
    void refusesBadSourcesSayingWhere();
    void writesOpmlThatReadsAsXml();
    void writerFailsWhenTheDeviceRefuses();
    void writerCancelsWhenProgressSaysSo();
    void roundTripsRandomOutlines();
};

void OpmlTest::readsOutlinesByNesting_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nesting gives levels")
        << opml("<outline text=\"A\"><outline text=\"B\"><outline text=\"C\"/></outline><outline text=\"D\"/>"
                "</outline><outline text=\"E\"/>")
        << "0 A [Unknown] | 1 B [Unknown] | 2 C [Unknown] | 1 D [Unknown] | 0 E [Unknown]";
    QTest::newRow("OPML 1.0 title when there is no text")
        << opml("<outline title=\"Old\"/><outline text=\"New\" title=\"ignored\"/>", "")
        << "0 Old [Unknown] | 0 New [Unknown]";
    QTest::newRow("single category kept") << opml("<outline text=\"A\" category=\" Work \"/>") << "0 A [Work]";
    QTest::newRow("category path refused") << opml("<outline text=\"A\" category=\"/Work/Home\"/>") << "0 A [Unknown]";
    QTest::newRow("category list refused") << opml("<outline text=\"A\" category=\"Work,Home\"/>") << "0 A [Unknown]";
    QTest::newRow("head and foreign elements hold no leaves")
        << opml("<x:extra xmlns:x=\"urn:x\"><outline text=\"hidden\"/></x:extra><outline text=\"A\"/>",
                "<head><outline text=\"in head\"/></head>")
        << "0 A [Unknown]";
    QTest::newRow("escaped caption, entities of XML itself")
        << opml("<outline text=\"Fish &amp; chips &lt;3 &#233;\"/>")
        << QString::fromUtf8("0 Fish & chips <3 é [Unknown]");
    QTest::newRow("empty body") << opml("") << "";
    // A caption is one line; control characters no outline file can hold go.
    QTest::newRow("caption made one line")
        << opml("<outline text=\"a&#10;b&#9;c\x01" "d&#13;&#10;e\"/>") << "0 a b\tcd e [Unknown]";
    QTest::newRow("declared encoding")
        << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                      "<opml><body><outline text=\"caf\xe9\"/></body></opml>")
        << QString::fromUtf8("0 café [Unknown]");
}

void OpmlTest::readsOutlinesByNesting()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, expected);
    QCOMPARE(describe(read(source)), expected);
}

void OpmlTest::readsNotesWithTheirLineBreaks_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("_note with character references")
        << opml("<outline text=\"A\" _note=\"one&#10;two&#10;&#10;four\"/>") << "one\ntwo\n\nfour\n";
    QTest::newRow("note as in some files") << opml("<outline text=\"A\" note=\"plain\"/>") << "plain\n";
    QTest::newRow("empty note, empty text") << opml("<outline text=\"A\" _note=\"\"/>") << "";
    QTest::newRow("markup stays text") << opml("<outline text=\"A\" _note=\"&lt;b&gt;x&lt;/b&gt;\"/>") << "<b>x</b>\n";
}

void OpmlTest::readsNotesWithTheirLineBreaks()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, expected);
    const std::vector<TreeFileRecord> records = read(source);
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(plainOf(records[0].text), expected);
    QCOMPARE(records[0].text.isEmpty(), expected.isEmpty());
}

void OpmlTest::refusesBadSourcesSayingWhere_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("message");  // a part of the message, after "line L, column C: "
    QTest::addColumn<int>("line");
    QByteArray deep;
    for (int i = 0; i < 10000; ++i) {
        deep += "<outline text=\"x\">";
    }
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE opml [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (int i = 1; i < 10; ++i) {
        laughs += QStringLiteral("<!ENTITY %1 \"%2\">\n")
                      .arg(QChar('a' + i))
                      .arg(QString(QStringLiteral("&%1;").arg(QChar('a' + i - 1))).repeated(10))
                      .toLatin1();
    }
    laughs += "]>\n<opml><body><outline text=\"&j;\"/></body></opml>";

    QTest::newRow("not XML") << QByteArray("\x89PNG\r\n\x1a\n", 8) << "not XML" << 1;
    QTest::newRow("empty") << QByteArray() << "not XML" << 1;
    QTest::newRow("root is not opml") << QByteArray("<?xml version=\"1.0\"?>\n<rss><channel/></rss>")
                                      << "the root element is <rss>, not <opml>" << 2;
    QTest::newRow("tag never closed") << QByteArray("<opml>\n<body>\n<outline text=\"a\">\n</body></opml>")
                                      << "the end tag </body> does not close <outline>" << 4;
    QTest::newRow("cut short") << QByteArray("<opml><body><outline text=\"a\"")
                               << "the document ends inside the tag <outline>" << 1;
    QTest::newRow("entity bomb") << laughs << "declares entities" << 3;
    QTest::newRow("external entity") << QByteArray(
                                            "<!DOCTYPE opml [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><opml><body>"
                                            "<outline text=\"&x;\"/></body></opml>")
                                     << "declares entities" << 1;
    QTest::newRow("undeclared entity") << opml("<outline text=\"&nbsp;\"/>") << "nbsp" << 2;
    QTest::newRow("10,000 outlines deep") << opml(deep) << "deeper than 1000" << 2;
    // Converted to be read, the document still says where in its own bytes it fails.
    QTest::newRow("in UTF-16") << QByteArray("\xff\xfe<\0o\0p\0m\0l\0>\0<\0/\0x\0>\0", 22)
                               << "does not close <opml>" << 1;
}

void OpmlTest::refusesBadSourcesSayingWhere()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, message);
    QFETCH(int, line);
    LeafSink sink;
    try {
        readOpml(source, sink);
        QFAIL("read without an error");
    } catch (const ImportError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("line %1, column ").arg(line)), qPrintable(error.message()));
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        QVERIFY(error.offset() >= 0 && error.offset() <= source.size());
    }
}

void OpmlTest::writesOpmlThatReadsAsXml()
{
    const QString hostile = QStringLiteral("a\x01"
                                           "b") +
                            QChar(0xFFFE) + QChar(0xD800) + QStringLiteral("c\"<&>");
    const QByteArray bytes = written({{0, hostile, QStringLiteral("Unknown"), rtfOf(hostile + "\nline two")},
                                      {1, QStringLiteral("child"), QStringLiteral("Work"), QByteArray()},
                                      {3, QStringLiteral("too deep"), QString(), QByteArray()}});
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QVERIFY(bytes.contains("<opml version=\"2.0\">"));
    QVERIFY(bytes.contains("<title>Title</title>"));
    QVERIFY2(bytes.contains("line two") && bytes.contains("&#10;line two"), bytes.constData());
    QCOMPARE(bytes.count("category="), 1);
    QCOMPARE(bytes.count("_note="), 1);
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(describe(read(bytes)), QStringLiteral("0 abc\"<&> [Unknown] | 1 child [Work] | 2 too deep [Unknown]"));

    // A deep chain writes a file that grows with its length: indents stop deepening.
    std::vector<ExportLeaf> chain;
    for (int level = 0; level < 5000; ++level) {
        chain.push_back({level, QStringLiteral("c"), QString(), QByteArray()});
    }
    QVERIFY(written(chain).size() < 5000 * 200);
}

void OpmlTest::writerFailsWhenTheDeviceRefuses()
{
    std::vector<ExportLeaf> leaves(2000, ExportLeaf{0, QStringLiteral("a leaf with a caption"), QString(), {}});
    for (const qint64 limit : {0, 100, 20000}) {
        FailingDevice device(limit);
        QVERIFY_THROWS_EXCEPTION(FileError, writeOpml(device,
                                                      [&](const LeafVisitor &visit, bool) {
                                                          std::for_each(leaves.begin(), leaves.end(), visit);
                                                      },
                                                      "t", {}));
    }
}

void OpmlTest::writerCancelsWhenProgressSaysSo()
{
    std::vector<ExportLeaf> leaves(1000, ExportLeaf{0, QStringLiteral("x"), QString(), {}});
    qint64 heard = 0;
    QVERIFY_THROWS_EXCEPTION(Cancelled, written(leaves, [&](qint64 done, qint64) {
                                 heard = done;
                                 return done < 512;
                             }));
    QCOMPARE(heard, 512);
}

void OpmlTest::roundTripsRandomOutlines()
{
    const quint32 seed = qEnvironmentVariableIsSet("QUILLAX_SEED")
                             ? quint32(qEnvironmentVariableIntValue("QUILLAX_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("round-trip seed %u (set QUILLAX_SEED to repeat)", seed);
    QRandomGenerator rng(seed);
    const QStringList words = {"alpha", "Béta", "gamma&", "<delta>", "\"quoted\"", "tab\there", "€uro", "x"};
    const auto phrase = [&](int most) {
        QStringList parts;
        for (int i = int(rng.bounded(1, most + 1)); i > 0; --i) {
            parts << words[int(rng.bounded(int(words.size())))];
        }
        return parts.join(QLatin1Char(' '));
    };
    for (int round = 0; round < 30; ++round) {
        std::vector<ExportLeaf> leaves;
        QStringList texts;
        int level = -1;
        for (int i = int(rng.bounded(0, 40)); i > 0; --i) {
            level = int(rng.bounded(0, level + 2));
            QStringList lines;
            for (int n = int(rng.bounded(0, 4)); n > 0; --n) {
                lines << (rng.bounded(4) == 0 ? QString() : phrase(6));
            }
            const QString text = lines.join(QLatin1Char('\n'));
            texts << (text.isEmpty() ? QString() : text + QLatin1Char('\n'));
            const QString category = rng.bounded(3) == 0 ? QStringLiteral("Unknown") : words[int(rng.bounded(3))];
            leaves.push_back({level, phrase(4), category, text.isEmpty() ? QByteArray() : rtfOf(text)});
        }
        const std::vector<TreeFileRecord> records = read(written(leaves));
        const QString where = QStringLiteral("seed %1 round %2").arg(seed).arg(round);
        QVERIFY2(records.size() == leaves.size(), qPrintable(where));
        for (size_t i = 0; i < records.size(); ++i) {
            QVERIFY2(encoding::fromCp1252(records[i].caption) == leaves[i].caption, qPrintable(where));
            QVERIFY2(records[i].level == leaves[i].level, qPrintable(where));
            QVERIFY2(encoding::fromCp1252(records[i].category) == leaves[i].category, qPrintable(where));
            QVERIFY2(plainOf(records[i].text) == texts[int(i)], qPrintable(where + ": " + plainOf(records[i].text)));
        }
    }
}

QTEST_MAIN(OpmlTest)
#include "opml_test.moc"

