// Tests of the CherryTree reader: the tree's shape, categories, each run attribute and object as the leaf keeps
// it (RTF read back), and the sources it refuses.
#include "document/formats/importoutline.h"
#include "text/richtext.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
#include <QtTest>

#include <memory>

using formats::ImportError;
using formats::LeafSink;

namespace {

QByteArray ctd(const QString &body)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cherrytree>\n  <bookmarks list=\"1\"/>\n") +
            body + QStringLiteral("\n</cherrytree>\n"))
        .toUtf8();
}

// A rich-text node, as CherryTree writes one; content goes before the children, as there.
QString node(const QString &name, const QString &content, const QString &extra = QString())
{
    return QStringLiteral("<node unique_id=\"1\" master_id=\"0\" name=\"%1\" prog_lang=\"custom-colors\" tags=\"\" %2>"
                          "%3</node>")
        .arg(name, extra, content);
}

std::vector<TreeFileRecord> read(const QByteArray &bytes)
{
    LeafSink sink(bytes.size());
    formats::readCherryTree(bytes, sink);
    return sink.takeRecords();
}

// The only leaf's text as the editor loads it.
std::unique_ptr<QTextDocument> leafText(const QString &content)
{
    const std::vector<TreeFileRecord> records = read(ctd(node(QStringLiteral("n"), content)));
    auto document = std::make_unique<QTextDocument>();
    if (records.size() == 1) {
        richtext::loadBytes(*document, records.front().text);
    }
    return document;
}

QString pngBase64(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(png.toBase64());
}

// What a character format changes from the editor's 12-point Arial, as words.
QString describe(const QTextCharFormat &f)
{
    QStringList words;
    if (f.fontWeight() >= QFont::DemiBold) {
        words << QStringLiteral("bold");
    }
    if (f.fontItalic()) {
        words << QStringLiteral("italic");
    }
    if (f.fontUnderline()) {
        words << QStringLiteral("underline");
    }
    if (f.fontStrikeOut()) {
        words << QStringLiteral("strike");
    }
    if (f.foreground().style() != Qt::NoBrush && f.foreground().color() != Qt::black) {
        words << QStringLiteral("fg") + f.foreground().color().name();
    }
    if (f.background().style() != Qt::NoBrush) {
        words << QStringLiteral("bg") + f.background().color().name();
    }
    if (f.fontPointSize() > 0 && f.fontPointSize() != 12) {
        words << QStringLiteral("%1pt").arg(f.fontPointSize());
    }
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) {
        words << QStringLiteral("super");
    } else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) {
        words << QStringLiteral("sub");
    }
    if (!f.fontFamilies().toStringList().isEmpty() && f.fontFamilies().toStringList().first() != "Arial") {
        words << f.fontFamilies().toStringList().first();
    }
    if (f.isAnchor()) {
        words << QStringLiteral("href=") + f.anchorHref();
    }
    return words.join(QLatin1Char(' '));
}

// The document's text with each picture as '#', tables as their cells in brackets, blocks joined by '|'.
QString shape(const QTextDocument &document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (QTextTable *table = qobject_cast<QTextTable *>(QTextCursor(block).currentFrame())) {
            if (block.position() == table->firstPosition()) {
                QStringList cells;
                for (int r = 0; r < table->rows(); ++r) {
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        QTextCursor cursor = cell.firstCursorPosition();
                        cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
                        cells << cursor.selectedText();
                    }
                }
                blocks << QStringLiteral("[") + cells.join(QLatin1Char(',')) + QStringLiteral("]");
            }
            continue;
        }
        blocks << block.text().replace(QChar::ObjectReplacementCharacter, QLatin1Char('#'));
    }
    return blocks.join(QLatin1Char('|'));
}

} // namespace

class CherryTreeTest : public QObject
{
    Q_OBJECT

private slots:
    void readsNodesInOrderAtTheirLevels_data();
    void readsNodesInOrderAtTheirLevels();
    void takesFirstTagAsCategory_data();
    void takesFirstTagAsCategory();
    void keepsRunFormatting_data();
    void keepsRunFormatting();
    void alignsParagraphs_data();
    void alignsParagraphs();
    void placesObjectsAtCharacterOffsets_data();
    void placesObjectsAtCharacterOffsets();
    void keepsPictureThroughRtf();
    void readsCodeNodeAsPlainText();
    void refusesBadSources_data();
    void refusesBadSources();
};

void CherryTreeTest::readsNodesInOrderAtTheirLevels_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("expected");  // caption:level, in order
    QTest::newRow("flat") << node("A", "") + node("B", "") << "A:0 B:0";
    QTest::newRow("nested after own text")
        << node("A", "<rich_text>a</rich_text>" + node("B", node("C", "")) + node("D", "")) + node("E", "")
        << "A:0 B:1 C:2 D:1 E:0";
    QTest::newRow("unknown elements skipped")
        << "<other><node name=\"X\"/></other>" + node("A", "<mystery><node name=\"Y\"/></mystery>")
        << "A:0";
    QTest::newRow("shared node shows its master, before and after it")
        << "<node unique_id=\"9\" master_id=\"5\"/>" +
               node("M", "", "unique_id=\"5\"").replace("unique_id=\"1\" ", "") +
               "<node unique_id=\"8\" master_id=\"5\"><node unique_id=\"7\" master_id=\"0\" name=\"K\"/></node>"
        << "M:0 M:0 M:0 K:1";
    QString deep;
    for (int i = 0; i < formats::MaxImportDepth; ++i) {
        deep += "<node name=\"d\">";
    }
    for (int i = 0; i < formats::MaxImportDepth; ++i) {
        deep += "</node>";
    }
    QTest::newRow("as deep as allowed") << deep << "1000 leaves, last at 999";
}

void CherryTreeTest::readsNodesInOrderAtTheirLevels()
{
    QFETCH(QString, body);
    QFETCH(QString, expected);
    const std::vector<TreeFileRecord> records = read(ctd(body));
    QStringList got;
    for (const TreeFileRecord &record : records) {
        got << QString::fromLatin1(record.caption) + ':' + QString::number(record.level);
    }
    if (expected.endsWith("999")) {
        QCOMPARE(int(records.size()), formats::MaxImportDepth);
        QCOMPARE(records.back().level, formats::MaxImportDepth - 1);
        return;
    }
    QCOMPARE(got.join(' '), expected);
}

void CherryTreeTest::takesFirstTagAsCategory_data()
{
    QTest::addColumn<QString>("tags");
    QTest::addColumn<QByteArray>("category");
    QTest::newRow("none") << "" << QByteArray("Unknown");
    QTest::newRow("first of several") << "work home" << QByteArray("work");
    QTest::newRow("spaces around") << "  lead   x " << QByteArray("lead");
    QTest::newRow("cut to 20 bytes") << "abcdefghijklmnopqrstuvwxyz" << QByteArray("abcdefghijklmnopqrst");
}

void CherryTreeTest::takesFirstTagAsCategory()
{
    QFETCH(QString, tags);
    QFETCH(QByteArray, category);
    const std::vector<TreeFileRecord> records =
        read(ctd(node("A", "").replace("tags=\"\"", "tags=\"" + tags + "\"")));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records.front().category, category);
}

void CherryTreeTest::keepsRunFormatting_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "" << "";
    QTest::newRow("heavy") << "weight=\"heavy\"" << "bold";
    QTest::newRow("italic") << "style=\"italic\"" << "italic";
    QTest::newRow("underline") << "underline=\"single\"" << "underline";
    QTest::newRow("strikethrough") << "strikethrough=\"true\"" << "strike";
    QTest::newRow("foreground short") << "foreground=\"#ff0000\"" << "fg#ff0000";
    QTest::newRow("foreground long") << "foreground=\"#ffff00000000\"" << "fg#ff0000";
    QTest::newRow("background long") << "background=\"#e6e6e6e6fafa\"" << "bg#e6e6fa";
    QTest::newRow("bad colour ignored") << "foreground=\"#12\"" << "";
    QTest::newRow("h1") << "scale=\"h1\"" << "bold 24pt";
    QTest::newRow("h6") << "scale=\"h6\"" << "bold 13pt";
    QTest::newRow("small") << "scale=\"small\"" << "10pt";
    QTest::newRow("sup") << "scale=\"sup\"" << "super";
    QTest::newRow("sub") << "scale=\"sub\"" << "sub";
    QTest::newRow("monospace") << "family=\"monospace\"" << "Courier New";
    QTest::newRow("web link") << "link=\"webs http://x.org/a\"" << "underline fg#0000ff href=http://x.org/a";
    QTest::newRow("node link keeps text") << "link=\"node 4\"" << "";
    QTest::newRow("several") << "weight=\"heavy\" style=\"italic\" background=\"#00ff00\"" << "bold italic bg#00ff00";
}

void CherryTreeTest::keepsRunFormatting()
{
    QFETCH(QString, attributes);
    QFETCH(QString, expected);
    const auto document = leafText("<rich_text>ab </rich_text><rich_text " + attributes + ">word</rich_text>");
    QCOMPARE(document->toPlainText(), QString("ab word"));
    QTextCursor cursor(document.get());
    cursor.setPosition(5);
    QCOMPARE(describe(cursor.charFormat()), expected);
    cursor.setPosition(2);
    QCOMPARE(describe(cursor.charFormat()), QString());
}

void CherryTreeTest::alignsParagraphs_data()
{
    QTest::addColumn<QString>("justification");
    QTest::addColumn<int>("alignment");
    QTest::newRow("left") << "left" << int(Qt::AlignLeft);
    QTest::newRow("center") << "center" << int(Qt::AlignHCenter);
    QTest::newRow("right") << "right" << int(Qt::AlignRight);
    QTest::newRow("fill") << "fill" << int(Qt::AlignJustify);
}

void CherryTreeTest::alignsParagraphs()
{
    QFETCH(QString, justification);
    QFETCH(int, alignment);
    const auto document = leafText("<rich_text>first\n</rich_text><rich_text justification=\"" + justification +
                                   "\">second\nthird</rich_text><rich_text>\nfourth</rich_text>");
    QCOMPARE(shape(*document), QString("first|second|third|fourth"));
    const int expected[] = {int(Qt::AlignLeft), alignment, alignment, int(Qt::AlignLeft)};
    int i = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++i) {
        QCOMPARE(int(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask), expected[i]);
    }
}

void CherryTreeTest::placesObjectsAtCharacterOffsets_data()
{
    const QString x = "<encoded_png char_offset=\"%1\" filename=\"x\"/>";
    const QString y = "<encoded_png char_offset=\"%1\" filename=\"y\"/>";
    const QString png = "<encoded_png char_offset=\"%1\">" + pngBase64(3, 2) + "</encoded_png>";
    const QString abcd = "<rich_text>abcd</rich_text>";
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two in order, the first counted")
        << abcd + x.arg(1) + y.arg(3) << "a[x]b[y]cd";
    QTest::newRow("later one before an earlier") << abcd + y.arg(2) + x.arg(1) << "a[x]b[y]cd";
    QTest::newRow("past the end at the end") << abcd + x.arg(99) << "abcd[x]";
    QTest::newRow("negative at the start") << abcd + x.arg(-3) << "[x]abcd";
    QTest::newRow("offsets count code points") << "<rich_text>\U0001F600b</rich_text>" + x.arg(1)
                                               << "\U0001F600[x]b";
    QTest::newRow("anchor takes a place, shows nothing")
        << abcd + "<encoded_png char_offset=\"1\" anchor=\"here\"/>" + x.arg(3) << "ab[x]cd";
    QTest::newRow("text after an object follows it")
        << "<rich_text>ab</rich_text>" + x.arg(1) + "<rich_text>cd</rich_text>" << "a[x]bcd";
    QTest::newRow("picture") << "<rich_text>ab\ncd</rich_text>" + png.arg(4) << "ab|c#d";
    QTest::newRow("bad base64 picture dropped, place kept")
        << abcd + "<encoded_png char_offset=\"1\">!!not base64!!</encoded_png>" + x.arg(3) << "ab[x]cd";
    QTest::newRow("base64 of no picture dropped")
        << abcd + "<encoded_png char_offset=\"1\">aGVsbG8=</encoded_png>" << "abcd";
    QTest::newRow("table, header row first")
        << "<rich_text>before\n\nafter</rich_text><table char_offset=\"7\" justification=\"left\">"
           "<row><cell>1</cell><cell>2</cell></row><row><cell>3</cell><cell>4</cell></row>"
           "<row><cell>h1</cell><cell>h2</cell></row></table>"
        << "before|[h1,h2,1,2,3,4]|after";
    QTest::newRow("uneven table rows filled out")
        << "<rich_text>t</rich_text><table char_offset=\"1\"><row><cell>1</cell></row>"
           "<row><cell>h1</cell><cell>h2</cell></row></table>"
        << "t|[h1,h2,1,]|";
    QTest::newRow("codebox as its own paragraphs")
        << "<rich_text>before after</rich_text><codebox char_offset=\"7\">def f():\n    pass</codebox>"
        << "before |def f():|    pass|after";
}

void CherryTreeTest::placesObjectsAtCharacterOffsets()
{
    QFETCH(QString, content);
    QFETCH(QString, expected);
    const auto document = leafText(content);
    QCOMPARE(shape(*document), expected);
    if (expected.contains("def f")) {
        QTextCursor cursor(document->findBlockByNumber(2));
        cursor.movePosition(QTextCursor::NextCharacter);
        QCOMPARE(describe(cursor.charFormat()), QString("Courier New"));
    }
}

void CherryTreeTest::keepsPictureThroughRtf()
{
    const auto document = leafText("<rich_text>ab</rich_text><encoded_png char_offset=\"1\">" + pngBase64(3, 2) +
                                   "</encoded_png>");
    QTextCursor cursor(document.get());
    cursor.setPosition(2);
    const QTextImageFormat image = cursor.charFormat().toImageFormat();
    QVERIFY(image.isValid());
    const QImage picture = document->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    QCOMPARE(picture.size(), QSize(3, 2));
    QCOMPARE(picture.pixelColor(1, 1), QColor(Qt::red));
}

void CherryTreeTest::readsCodeNodeAsPlainText()
{
    const QByteArray bytes = ctd("<node name=\"py\" prog_lang=\"python3\"><rich_text weight=\"heavy\">print(1)\n"
                                 "&lt;x&gt;</rich_text><encoded_png char_offset=\"0\" filename=\"f\"/></node>");
    const std::vector<TreeFileRecord> records = read(bytes);
    QCOMPARE(records.size(), size_t(1));
    QTextDocument document;
    richtext::loadBytes(document, records.front().text);
    QCOMPARE(document.toPlainText(), QString("print(1)\n<x>"));
    QTextCursor cursor(&document);
    cursor.setPosition(1);
    QCOMPARE(describe(cursor.charFormat()).remove(QRegularExpression("\\d+pt ?")), QString("Courier New"));
}

void CherryTreeTest::refusesBadSources_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << "line 1, column 1: no element in the document";
    QTest::newRow("not xml") << QByteArray("just words") << "line 1, column 1: text outside the root element";
    QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?>\n<opml version=\"2.0\"/>")
                                << "line 2, column 1: the root element is <opml>, not <cherrytree>";
    QTest::newRow("tags crossed") << QByteArray("<cherrytree>\n<node name=\"a\">\n</cherrytree>")
                                  << "line 3, column 1: the end tag </cherrytree> does not close <node>";
    QTest::newRow("cut short") << ctd(node("a", "<rich_text>x</rich_text>")).left(100)
                               << "line 4, column 1: the document ends inside the tag <node>";
    QTest::newRow("content after the root")
        << ctd("") + "<node/>" << "line 6, column 1: a second root element";
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE cherrytree [\n<!ENTITY a \"lol\">\n";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += QByteArray("<!ENTITY ") + c + " \"" + QByteArray("&").append(char(c - 1)).append(';').repeated(10) +
                  "\">\n";
    }
    laughs += "]>\n<cherrytree><node name=\"&k;\"/></cherrytree>";
    QTest::newRow("billion laughs")
        << laughs << "line 3, column 1: the document declares entities, which an outline file never does";
    QTest::newRow("external entity")
        << QByteArray("<!DOCTYPE cherrytree [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n"
                      "<cherrytree><node name=\"&e;\"/></cherrytree>")
        << "line 1, column 23: the document declares entities, which an outline file never does";
    QTest::newRow("undefined entity") << QByteArray("<cherrytree><node name=\"&e;\"/></cherrytree>")
                                      << "line 1, column 25: the entity &e; is not defined";
    QTest::newRow("10,000 deep") << ctd(QString("<node name=\"d\">").repeated(10000))
                                 << "line 4, column 15001: nodes are nested deeper than 1000 levels";
}

void CherryTreeTest::refusesBadSources()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    LeafSink sink;
    try {
        formats::readCherryTree(bytes, sink);
        QFAIL("read without an error");
    } catch (const ImportError &error) {
        QCOMPARE(error.message(), message);
        QVERIFY(error.offset() >= 0 && error.offset() <= bytes.size());
    }
}

QTEST_MAIN(CherryTreeTest)
#include "cherrytree_test.moc"
