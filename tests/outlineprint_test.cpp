// Tests of the printed page layout: what lands on which page, as a recording device sees it, and PDF files.
#include "document/formats/outlineexport.h"
#include "document/formats/outlinepages.h"
#include "text/richtext.h"

#include <QBuffer>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTest>
#include <QUrl>

#include <cmath>
#include <vector>

using formats::ExportLeaf;

namespace {

// A6 at 600 dpi: the layout works at 300 dpi and the painter scales it by two.
constexpr int DeviceDpi = 600;
const QSize DevicePixels(2480, 3496);

struct PaintedText
{
    int page;
    QString text;
    QPointF at;     // the baseline's start in device pixels
    qreal width;
};

struct PaintedPicture
{
    int page;
    QRectF rect;
};

// Records the text and pictures painted, with the page each went on and its place in device pixels.
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
    void drawPath(const QPainterPath &) override {}  // table borders
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { picture(r); }
    void drawImage(const QRectF &r, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        picture(r);
    }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        ++textCount;
        if (keepTexts) {
            texts.push_back(PaintedText{page, item.text(), transform_.map(p), item.width() * transform_.m11()});
        }
    }

    bool keepTexts = true;
    int page = 0;
    qint64 textCount = 0;
    std::vector<PaintedText> texts;
    std::vector<PaintedPicture> pictures;

private:
    void picture(const QRectF &r) { pictures.push_back(PaintedPicture{page, transform_.mapRect(r)}); }

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
            return DevicePixels.width();
        case PdmHeight:
            return DevicePixels.height();
        case PdmWidthMM:
            return qRound(DevicePixels.width() * 25.4 / DeviceDpi);
        case PdmHeightMM:
            return qRound(DevicePixels.height() * 25.4 / DeviceDpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return DeviceDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        }
        return 0;
    }
};

struct Printed
{
    int pages = 0;
    std::vector<PaintedText> texts;
    std::vector<PaintedPicture> pictures;
    qint64 textCount = 0;

    // The pages each text equal to text went on.
    QList<int> pagesOf(const QString &text) const
    {
        QList<int> found;
        for (const PaintedText &t : texts) {
            if (t.text == text) {
                found << t.page;
            }
        }
        return found;
    }
};

formats::LeafSource sourceOf(const std::vector<ExportLeaf> &leaves)
{
    return [&leaves](const formats::LeafVisitor &visit, bool withTexts) {
        for (const ExportLeaf &leaf : leaves) {
            if (withTexts) {
                visit(leaf);
            } else {
                visit(ExportLeaf{leaf.level, leaf.caption, leaf.category, QByteArray()});
            }
        }
    };
}

Printed print(const std::vector<ExportLeaf> &leaves, bool keepTexts = true, const formats::Progress &progress = {})
{
    RecordingDevice device;
    device.engine.keepTexts = keepTexts;
    QPainter painter(&device);
    const formats::PageArea area{QSizeF(DevicePixels), DeviceDpi, DeviceDpi};
    Printed printed;
    printed.pages = formats::paintOutlinePages(
        painter, area, [&device] { ++device.engine.page; }, sourceOf(leaves), progress);
    painter.end();
    printed.texts = std::move(device.engine.texts);
    printed.pictures = std::move(device.engine.pictures);
    printed.textCount = device.engine.textCount;
    return printed;
}

QString lineText(int i)
{
    return QStringLiteral("Line %1").arg(i, 6, 10, QLatin1Char('0'));
}

QByteArray plainLines(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += lineText(i).toLatin1() + "\r\n";
    }
    return bytes;
}

// count paragraphs of RTF, every third one bold and larger.
QByteArray rtfParagraphs(int count)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            cursor.insertBlock();
        }
        QTextCharFormat format;
        format.setFontPointSize(i % 3 == 0 ? 16 : 11);
        format.setFontWeight(i % 3 == 0 ? QFont::Bold : QFont::Normal);
        cursor.insertText(lineText(i), format);
    }
    return richtext::saveBytes(document);
}

// A table of count rows: the line's text in the first column, a word in the second.
QByteArray rtfTable(int count)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("Before"));
    QTextTable *table = cursor.insertTable(count, 2);
    for (int r = 0; r < count; ++r) {
        table->cellAt(r, 0).firstCursorPosition().insertText(lineText(r));
        table->cellAt(r, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
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
    void linesFlowOverPagesEachOnce_data();
    void linesFlowOverPagesEachOnce();
    void shortLeavesSharePagesAndKeepCaptionsWithText();
    void pageCountFollowsLength();
    void textTallerThanLayoutLimitPrints();
    void pictureTallerThanPageIsCutAcrossPages();
    void cancelsWhenProgressSaysSo();
    void writesPdfWithItsPages();
    void refusedPdfWriteThrows();
};

void OutlinePrintTest::linesFlowOverPagesEachOnce_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("plain text") << plainLines(400) << 400;
    QTest::newRow("RTF paragraphs of two sizes") << rtfParagraphs(400) << 400;
    QTest::newRow("table rows") << rtfTable(300) << 300;
}

void OutlinePrintTest::linesFlowOverPagesEachOnce()
{
    QFETCH(QByteArray, text);
    QFETCH(int, lines);
    const std::vector<ExportLeaf> leaves{leaf(0, QStringLiteral("Long leaf"), text),
                                         leaf(1, QStringLiteral("After it"))};
    const Printed printed = print(leaves);
    QVERIFY(printed.pages > 2);

    // Every line once, in order: on the same page further down, or on a later page.
    int page = 0;
    qreal y = -1;
    for (int i = 0; i < lines; ++i) {
        QList<int> found;
        const PaintedText *at = nullptr;
        for (const PaintedText &t : printed.texts) {
            if (t.text.startsWith(lineText(i))) {
                found << t.page;
                at = &t;
            }
        }
        QCOMPARE(found.size(), 1);
        QVERIFY2(at->page > page || (at->page == page && at->at.y() > y), qPrintable(lineText(i)));
        page = at->page;
        y = at->at.y();
    }
    QCOMPARE(printed.pagesOf(QStringLiteral("Long leaf")), QList<int>{0});
    QCOMPARE(printed.pagesOf(QStringLiteral("After it")), QList<int>{printed.pages - 1});

    // Each page's number once, centred at its foot below all its text.
    for (int p = 0; p < printed.pages; ++p) {
        const QString number = QString::number(p + 1);
        const PaintedText *numberAt = nullptr;
        qreal lowest = 0;
        for (const PaintedText &t : printed.texts) {
            if (t.page == p && t.text == number && t.at.y() > DevicePixels.height() * 0.9) {
                QVERIFY(!numberAt);
                numberAt = &t;
            } else if (t.page == p) {
                lowest = std::max(lowest, t.at.y());
            }
        }
        QVERIFY2(numberAt, qPrintable(number));
        QVERIFY(numberAt->at.y() <= DevicePixels.height());
        QVERIFY(lowest < numberAt->at.y());
        QVERIFY(std::abs(numberAt->at.x() + numberAt->width / 2 - DevicePixels.width() / 2.0) < 0.05 * DevicePixels.width());
    }
}

void OutlinePrintTest::shortLeavesSharePagesAndKeepCaptionsWithText()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 80; ++i) {
        // Leaves of every level, deep ones too, each a caption and one or three lines.
        leaves.push_back(leaf(i % 9, QStringLiteral("Caption %1").arg(i), plainLines(i % 2 == 0 ? 1 : 3)));
    }
    leaves.push_back(leaf(0, QStringLiteral("Without text")));
    const Printed printed = print(leaves);
    QVERIFY(printed.pages > 3);
    QVERIFY(printed.pages < 40);
    int previous = 0;
    for (int i = 0; i < 80; ++i) {
        const QList<int> pages = printed.pagesOf(QStringLiteral("Caption %1").arg(i));
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.front() >= previous);
        previous = pages.front();
    }
    // A caption at the foot of a page would be parted from its text: it goes on with the text.
    for (int i = 0; i < 80; ++i) {
        const int captionPage = printed.pagesOf(QStringLiteral("Caption %1").arg(i)).front();
        int firstLinePage = -1;
        int seen = 0;
        for (const PaintedText &t : printed.texts) {
            if (t.text == lineText(0) && seen++ == i) {
                firstLinePage = t.page;
            }
        }
        QCOMPARE(firstLinePage, captionPage);
    }
    QCOMPARE(printed.pagesOf(QStringLiteral("Without text")), QList<int>{printed.pages - 1});
}

void OutlinePrintTest::pageCountFollowsLength()
{
    // Lines per page measured on one long leaf; longer leaves take their share of pages.
    // The first page holds the caption too.
    const Printed measure = print({leaf(0, QStringLiteral("Caption"), plainLines(2000))});
    int onPage[2] = {0, 0};
    for (const PaintedText &t : measure.texts) {
        if (t.page < 2 && t.text.startsWith(QLatin1String("Line"))) {
            ++onPage[t.page];
        }
    }
    const int first = onPage[0];
    const int next = onPage[1];
    QVERIFY(first > 10);
    QVERIFY(next > first);
    int previous = 0;
    for (int lines : {0, 1, first, first + 1, first + 3 * next, first + 10 * next + 5}) {
        const int pages = print({leaf(0, QStringLiteral("Caption"), plainLines(lines))}).pages;
        QVERIFY(pages >= previous);
        previous = pages;
        QCOMPARE(pages, lines <= first ? 1 : 1 + int(std::ceil(double(lines - first) / next)));
    }
    QCOMPARE(print({}).pages, 1);
}

void OutlinePrintTest::textTallerThanLayoutLimitPrints()
{
    // 600,000 lines of 12 points at 300 dpi are about 30 million pixels, far past the layout's limit.
    constexpr int Lines = 600'000;
    const Printed sample = print({leaf(0, QStringLiteral("Tall"), plainLines(1000))});
    const double perPage = 1000.0 / sample.pages;
    const Printed printed = print({leaf(0, QStringLiteral("Tall"), plainLines(Lines))}, false);
    QVERIFY2(std::abs(printed.pages - Lines / perPage) < 0.03 * Lines / perPage, qPrintable(QString::number(printed.pages)));
    // Each line, the caption and each page number.
    QCOMPARE(printed.textCount, Lines + 1 + printed.pages);
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
    format.setHeight(1500);  // pixels at 96 dpi: about two and a half A6 pages
    cursor.insertImage(format);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Below"));
    const QByteArray rtf = richtext::saveBytes(document);

    const Printed printed = print({leaf(0, QStringLiteral("Picture"), rtf)});
    QCOMPARE(printed.pagesOf(QStringLiteral("Above")), QList<int>{0});
    QList<int> picturePages;
    for (const PaintedPicture &picture : printed.pictures) {
        picturePages << picture.page;
    }
    // The picture starts on a page of its own and goes on over the next pages, the text below it after.
    QCOMPARE(picturePages, (QList<int>{1, 2, 3}));
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
    const formats::Progress untilTwenty = [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return done < 20;
    };
    QVERIFY_THROWS_EXCEPTION(formats::Cancelled, print(leaves, true, untilTwenty));
    QCOMPARE(lastTotal, 100);
    QVERIFY(lastDone >= 20 && lastDone < 30);

    const formats::Progress always = [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return true;
    };
    print(leaves, false, always);
    QCOMPARE(lastDone, 100);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY_THROWS_EXCEPTION(formats::Cancelled, formats::writePdf(buffer, sourceOf(leaves), QStringLiteral("T"), untilTwenty));
}

void OutlinePrintTest::writesPdfWithItsPages()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 30; ++i) {
        leaves.push_back(leaf(i % 3, QStringLiteral("Leaf %1").arg(i), rtfParagraphs(20 + 10 * i)));
    }
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    formats::writePdf(pdf, sourceOf(leaves), QStringLiteral("My outline"), {});
    const QByteArray bytes = pdf.data();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));

    // The page tree counts as many pages as the layout made on an A4 writer at 300 dpi.
    QBuffer other;
    other.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&other);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 18, 20, 12), QPageLayout::Millimeter));
        pages = formats::printOutline(writer, sourceOf(leaves), QStringLiteral("My outline"), {});
    }
    QVERIFY(pages > 5);
    const QRegularExpressionMatch count = QRegularExpression(QStringLiteral("/Count (\\d+)")).match(QString::fromLatin1(bytes));
    QVERIFY(count.hasMatch());
    QCOMPARE(count.captured(1).toInt(), pages);
    // Title and creator are written in UTF-16.
    const auto utf16 = [](const char *text) {
        QByteArray out;
        for (const char *c = text; *c; ++c) {
            out += '\0';
            out += *c;
        }
        return out;
    };
    QVERIFY(bytes.contains("/Title (\xfe\xff" + utf16("My outline")));
    QVERIFY(bytes.contains("/Creator (\xfe\xff" + utf16("Quillax")));
}

namespace {

// Takes limit bytes, then refuses every write.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 limit) : limit_(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (taken_ >= limit_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = std::min(size, limit_ - taken_);
        taken_ += n;
        return n;
    }

private:
    qint64 limit_;
    qint64 taken_ = 0;
};

} // namespace

void OutlinePrintTest::refusedPdfWriteThrows()
{
    std::vector<ExportLeaf> leaves;
    for (int i = 0; i < 40; ++i) {
        leaves.push_back(leaf(0, QStringLiteral("Leaf %1").arg(i), rtfParagraphs(60)));
    }
    for (qint64 limit : {0, 5000, 60000}) {
        FailingDevice device(limit);
        try {
            formats::writePdf(device, sourceOf(leaves), QStringLiteral("T"), {});
            QFAIL("a refused write went unnoticed");
        } catch (const FileError &error) {
            QVERIFY2(error.message().contains(QLatin1String("No space left on device")), qPrintable(error.message()));
        }
    }
}

QTEST_MAIN(OutlinePrintTest)
#include "outlineprint_test.moc"
