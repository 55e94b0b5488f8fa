// Tests of the printed page layout: what lands on which page, as a recording device sees it, and PDF files.
#include "document/formats/outlineexport.h"
#include "document/formats/outlinepages.h"
#include "document/formats/textpieces.h"
#include "text/richtext.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

using formats::ExportLeaf;

#include "support.h"

namespace {

using support::FailingDevice;

// A6 at 600 dpi: the layout works at 300 dpi and the painter scales it by two.
constexpr int DeviceDpi = 600;
constexpr int DeviceWidth = 2480;
constexpr int DeviceHeight = 3496;

struct Painted
{
    int page;
    QString text;  // empty for a picture
    QPointF at;    // where the baseline starts (or the picture's top left), in device pixels
    qreal width;
};

// Records the text and pictures painted, with their page and place.
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform) {
            transform_ = state.transform();
        }
    }
    void drawPath(const QPainterPath &) override {}
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { record(QString(), r); }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        ++textCount;
        if (keep && !item.text().isEmpty()) {
            record(item.text(), QRectF(p, QSizeF(item.width(), 0)));
        }
    }

    bool keep = true;
    int page = 0;
    qint64 textCount = 0;
    std::vector<Painted> painted;

private:
    void record(const QString &text, const QRectF &r)
    {
        const QRectF at = transform_.mapRect(r);
        painted.push_back(Painted{page, text, at.topLeft(), at.width()});
    }
    QTransform transform_;
};

class RecordingDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return DeviceWidth;
        case PdmHeight:
            return DeviceHeight;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return DeviceDpi;  // the resolutions, and numbers no test reads
        }
    }
};

struct Printed
{
    int pages = 0;
    qint64 textCount = 0;
    std::vector<Painted> painted;

    QList<int> pagesOf(const QString &text) const
    {
        QList<int> found;
        for (const Painted &p : painted) {
            if (p.text == text) {
                found << p.page;
            }
        }
        return found;
    }
};

formats::LeafSource sourceOf(const std::vector<ExportLeaf> &leaves)
{
    return [&leaves](const formats::LeafVisitor &visit, bool withTexts) {
        for (const ExportLeaf &leaf : leaves) {
            visit(withTexts ? leaf : ExportLeaf{leaf.level, leaf.caption, leaf.category, QByteArray()});
        }
    };
}

Printed print(const std::vector<ExportLeaf> &leaves, bool keep = true, const formats::Progress &progress = {})
{
    RecordingDevice device;
    device.engine.keep = keep;
    QPainter painter(&device);
    const formats::PageArea area{QSizeF(DeviceWidth, DeviceHeight), DeviceDpi, DeviceDpi};
    Printed printed;
    printed.pages = formats::paintOutlinePages(
        painter, area, [&device] { ++device.engine.page; }, sourceOf(leaves), progress);
    printed.textCount = device.engine.textCount;
    printed.painted = std::move(device.engine.painted);
    return printed;
}

QString lineText(int i)
{
    return QStringLiteral("Line%1").arg(i, 6, 10, QLatin1Char('0'));
}

QByteArray plainLines(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += lineText(i).toLatin1() + "\r\n";
    }
    return bytes;
}

// Numbered lines as RTF: paragraphs in two sizes, right aligned, or a numbered list, or a table's rows.
enum class Shape { Paragraphs, List, Table };
QByteArray rtfLines(int count, Shape shape)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Before"));
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    QTextTable *table = shape == Shape::Table ? cursor.insertTable(count, 2) : nullptr;
    for (int i = 0; i < count; ++i) {
        if (table) {
            table->cellAt(i, 0).firstCursorPosition().insertText(lineText(i));
            table->cellAt(i, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
            continue;
        }
        if (shape == Shape::List && i > 0) {
            cursor.insertBlock();  // the next item of the list
        } else {
            cursor.insertBlock(right);
        }
        if (shape == Shape::List && i == 0) {
            cursor.createList(QTextListFormat::ListDecimal);
        }
        QTextCharFormat format;
        format.setFontPointSize(i % 3 == 0 ? 16 : 11);
        cursor.insertText(lineText(i), format);
    }
    return richtext::saveBytes(document);
}

ExportLeaf leaf(int level, const QString &caption, const QByteArray &text = QByteArray())
{
    return ExportLeaf{level, caption, QStringLiteral("Unknown"), text};
}


} // namespace

class OutlinePrintTest : public QObject
{
    Q_OBJECT

private slots:
    void piecesHoldTheTextOnceWithinTheLimit_data();
    void piecesHoldTheTextOnceWithinTheLimit();
    void linesFlowOverPagesEachOnce_data();
    void linesFlowOverPagesEachOnce();
    void shortLeavesSharePagesAndKeepCaptionsWithText();
    void pageCountFollowsLength_data();
    void pageCountFollowsLength();
    void pictureTallerThanPageIsCutAcrossPages();
    void cancelsWhenProgressSaysSo();
    void writesPdfWithItsPagesOrThrows();
};

void OutlinePrintTest::piecesHoldTheTextOnceWithinTheLimit_data()
{
    QTest::addColumn<QByteArray>("text");
    QString words;
    for (int i = 0; i < 3000; ++i) {
        words += lineText(i) + QLatin1Char(' ');
    }
    QTest::newRow("plain lines") << plainLines(2000);
    QTest::newRow("RTF paragraphs") << rtfLines(1500, Shape::Paragraphs);
    QTest::newRow("numbered list") << rtfLines(1500, Shape::List);
    QTest::newRow("table rows") << rtfLines(800, Shape::Table);
    QTest::newRow("one long paragraph") << words.toLatin1();
}

void OutlinePrintTest::piecesHoldTheTextOnceWithinTheLimit()
{
    // A limit of a few pages stands for the layout's: the pieces hold every character once, keep their
    // formats and, laid out, stay within the limit.
    QFETCH(QByteArray, text);
    constexpr qreal Width = 1500;
    constexpr qreal Dpi = 300;
    constexpr qreal Limit = 20000;
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 12));
    richtext::loadBytes(document, text);
    const std::vector<formats::TextPiece> pieces = formats::textPieces(document, Width, Dpi, Limit);
    QVERIFY(pieces.size() > 3);
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(Dpi / 0.0254));
    device.setDotsPerMeterY(qRound(Dpi / 0.0254));
    QString original;
    QHash<QString, QTextBlock> blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        original += b.text();
        blocks.insert(b.text(), b);
    }
    QString copied;
    for (const formats::TextPiece &piece : pieces) {
        const std::unique_ptr<QTextDocument> copy = formats::copyPiece(document, piece);
        // No copy starts with an empty paragraph of its own, but for the one a table needs before it.
        QVERIFY(!copy->begin().text().isEmpty() || !copy->rootFrame()->childFrames().isEmpty() ||
                copy->blockCount() == 1);
        for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
            copied += b.text();
            if (const QTextBlock source = blocks.value(b.text()); !b.text().isEmpty() && source.isValid()) {
                QCOMPARE(b.blockFormat().alignment(), source.blockFormat().alignment());
                QCOMPARE(b.textList() != nullptr, source.textList() != nullptr);
                QCOMPARE(b.charFormat().fontPointSize(), source.charFormat().fontPointSize());
            }
        }
        copy->documentLayout()->setPaintDevice(&device);
        copy->setTextWidth(Width);
        QVERIFY(copy->documentLayout()->documentSize().height() <= Limit);
    }
    QCOMPARE(copied, original);
}

void OutlinePrintTest::linesFlowOverPagesEachOnce_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("plain text") << plainLines(400) << 400;
    QTest::newRow("RTF paragraphs of two sizes") << rtfLines(400, Shape::Paragraphs) << 400;
    QTest::newRow("table rows") << rtfLines(300, Shape::Table) << 300;
    QByteArray words;
    for (int i = 0; i < 2000; ++i) {
        words += lineText(i).toLatin1() + ' ';
    }
    QTest::newRow("one paragraph over pages") << words << 2000;
}

void OutlinePrintTest::linesFlowOverPagesEachOnce()
{
    QFETCH(QByteArray, text);
    QFETCH(int, lines);
    const Printed printed = print({leaf(0, QStringLiteral("Long leaf"), text), leaf(1, QStringLiteral("After"))});
    QVERIFY(printed.pages > 2);
    // Every line (or word) once, in order: further down the same page, or on a later page. (A long
    // paragraph's words may be drawn in more than one piece: each page's text is taken as a whole.)
    QStringList pageTexts(printed.pages);
    for (const Painted &p : printed.painted) {
        pageTexts[p.page] += p.text;
    }
    int page = 0;
    qsizetype from = 0;
    for (int i = 0; i < lines; ++i) {
        int found = 0;
        for (int k = 0; k < printed.pages; ++k) {
            found += int(pageTexts[k].count(lineText(i)));
        }
        QVERIFY2(found == 1, qPrintable(lineText(i)));
        while (pageTexts[page].indexOf(lineText(i), from) < 0) {
            QVERIFY2(++page < printed.pages, qPrintable(lineText(i)));
            from = 0;
        }
        from = pageTexts[page].indexOf(lineText(i), from);
    }
    QCOMPARE(printed.pagesOf(QStringLiteral("Long leaf")), QList<int>{0});
    QCOMPARE(printed.pagesOf(QStringLiteral("After")), QList<int>{printed.pages - 1});
    // Each page's number once, centred at its foot below all its text.
    for (int page = 0; page < printed.pages; ++page) {
        const Painted *number = nullptr;
        qreal lowest = 0;
        for (const Painted &p : printed.painted) {
            if (p.page == page && p.text == QString::number(page + 1) && p.at.y() > DeviceHeight * 0.9) {
                QVERIFY(!number);
                number = &p;
            } else if (p.page == page) {
                lowest = std::max(lowest, p.at.y());
            }
        }
        QVERIFY(number);
        QVERIFY(lowest < number->at.y() && number->at.y() <= DeviceHeight);
        QVERIFY(std::abs(number->at.x() + number->width / 2 - DeviceWidth / 2.0) < 0.05 * DeviceWidth);
    }
}

void OutlinePrintTest::shortLeavesSharePagesAndKeepCaptionsWithText()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 80; ++i) {
        // Every level, deep ones too, each a caption and one or three lines.
        leaves.push_back(leaf(i % 9, QStringLiteral("Caption %1").arg(i), plainLines(i % 2 == 0 ? 1 : 3)));
    }
    leaves.push_back(leaf(0, QStringLiteral("Without text")));
    const Printed printed = print(leaves);
    QVERIFY(printed.pages > 3 && printed.pages < 40);
    // Captions once each, in order, each on the page of its first line (none left alone at a page's foot).
    std::vector<int> firstLines;
    for (const Painted &p : printed.painted) {
        if (p.text == lineText(0)) {
            firstLines.push_back(p.page);
        }
    }
    QCOMPARE(firstLines.size(), size_t(80));
    for (int i = 0; i < 80; ++i) {
        QCOMPARE(printed.pagesOf(QStringLiteral("Caption %1").arg(i)), QList<int>{firstLines[size_t(i)]});
        QVERIFY(i == 0 || firstLines[size_t(i)] >= firstLines[size_t(i - 1)]);
    }
    QCOMPARE(printed.pagesOf(QStringLiteral("Without text")), QList<int>{printed.pages - 1});
}

void OutlinePrintTest::pageCountFollowsLength_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("caption alone") << 0 << 0.0;
    QTest::newRow("one line") << 1 << 0.0;
    QTest::newRow("a few pages") << 500 << 0.0;
    QTest::newRow("many pages") << 5001 << 0.0;
    // 600,000 lines of 12 points at 300 dpi are about 30 million pixels, far past the layout's limit.
    QTest::newRow("past the layout limit") << 600'000 << 0.01;
}

void OutlinePrintTest::pageCountFollowsLength()
{
    QFETCH(int, lines);
    QFETCH(double, tolerance);
    // Lines per page measured on one long leaf, the first page holding the caption too.
    const Printed measure = print({leaf(0, QStringLiteral("Caption"), plainLines(300))});
    const auto onPage = [&measure](int page) {
        return int(std::count_if(measure.painted.begin(), measure.painted.end(),
                                 [page](const Painted &p) { return p.page == page && p.text.startsWith("Line"); }));
    };
    const int first = onPage(0);
    const int next = onPage(1);
    QVERIFY(first > 10 && next > first);
    const Printed printed = print({leaf(0, QStringLiteral("Caption"), plainLines(lines))}, false);
    const int expected = lines <= first ? 1 : 1 + int(std::ceil(double(lines - first) / next));
    QVERIFY2(std::abs(printed.pages - expected) <= tolerance * expected,
             qPrintable(QStringLiteral("%1 pages, not %2").arg(printed.pages).arg(expected)));
    // Each line, the caption and each page number.
    QCOMPARE(printed.textCount, lines + 1 + printed.pages);
    QCOMPARE(print({}).pages, 1);
}

void OutlinePrintTest::pictureTallerThanPageIsCutAcrossPages()
{
    QTextDocument document;
    QImage image(40, 400, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("tall.png")), image);
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Above"));
    cursor.insertBlock();
    QTextImageFormat format;
    format.setName(QStringLiteral("tall.png"));
    format.setWidth(40);
    format.setHeight(1500);  // pixels at 96 dpi: about three A6 pages
    cursor.insertImage(format);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Below"));

    const Printed printed = print({leaf(0, QStringLiteral("Picture"), richtext::saveBytes(document))});
    QCOMPARE(printed.pagesOf(QStringLiteral("Above")), QList<int>{0});
    // The picture starts on a page of its own and goes on over the next pages, the text below it after.
    QCOMPARE(printed.pagesOf(QString()), (QList<int>{1, 2, 3}));
    QCOMPARE(printed.pagesOf(QStringLiteral("Below")), QList<int>{3});
    QCOMPARE(printed.pages, 4);
}

void OutlinePrintTest::cancelsWhenProgressSaysSo()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 100; ++i) {
        leaves.push_back(leaf(0, QStringLiteral("Leaf %1").arg(i), plainLines(2)));
    }
    qint64 lastDone = -1;
    qint64 lastTotal = -1;
    bool cancel = true;
    const formats::Progress progress = [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return !cancel || done < 20;
    };
    QVERIFY_THROWS_EXCEPTION(formats::Cancelled, print(leaves, true, progress));
    QCOMPARE(lastTotal, 100);
    QVERIFY(lastDone >= 20 && lastDone < 30);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY_THROWS_EXCEPTION(formats::Cancelled, formats::writePdf(buffer, sourceOf(leaves), "T", progress));
    cancel = false;
    print(leaves, false, progress);
    QCOMPARE(lastDone, 100);
}

void OutlinePrintTest::writesPdfWithItsPagesOrThrows()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 30; ++i) {
        leaves.push_back(leaf(i % 3, QStringLiteral("Leaf %1").arg(i), rtfLines(20 + 10 * i, Shape::Paragraphs)));
    }
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    formats::writePdf(pdf, sourceOf(leaves), QStringLiteral("My outline"), {});
    const QByteArray bytes = pdf.data();
    QVERIFY(bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"));
    // As many pages as the layout makes on an A4 writer at 300 dpi, with title and creator (in UTF-16).
    QBuffer other;
    other.open(QIODevice::WriteOnly);
    QPdfWriter writer(&other);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 12),
                                     QPageLayout::Millimeter));
    const int pages = formats::printOutline(writer, sourceOf(leaves), QString(), {});
    QVERIFY(pages > 5);
    const QRegularExpressionMatch count = QRegularExpression("/Count (\\d+)").match(QString::fromLatin1(bytes));
    QCOMPARE(count.captured(1).toInt(), pages);
    const auto utf16 = [](const char *text) {
        return "\xfe\xff" + QByteArray(QStringEncoder(QStringEncoder::Utf16BE).encode(QString::fromLatin1(text)));
    };
    QVERIFY(bytes.contains("/Title (" + utf16("My outline")));
    QVERIFY(bytes.contains("/Creator (" + utf16("Quillax")));

    // A device that refuses a write, at the start or later, fails the export instead of leaving it short.
    for (qint64 limit : {0, 5000, 60000}) {
        FailingDevice device(limit);
        try {
            formats::writePdf(device, sourceOf(leaves), QStringLiteral("T"), {});
            QFAIL("a refused write went unnoticed");
        } catch (const FileError &error) {
            QVERIFY2(error.message().contains("No space left on device"), qPrintable(error.message()));
        }
    }
}

QTEST_MAIN(OutlinePrintTest)
#include "outlineprint_test.moc"

