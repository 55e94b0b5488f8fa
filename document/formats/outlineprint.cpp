// Printing an outline on a paged device, and PDF files through the same page layout.
#include "document/formats/outlineexport.h"
#include "document/formats/outlinepages.h"

#include <QFileDevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace formats {

namespace {

// PDF pages: A4 with these margins in millimetres; the page number sits inside the bottom one's edge.
constexpr qreal PdfSideMargin = 20;
constexpr qreal PdfTopMargin = 18;
constexpr qreal PdfBottomMargin = 12;

// Passes a PDF writer's bytes on to the real device and remembers the first refusal: the writer itself
// goes on silently after a failed write.
class CheckedDevice : public QIODevice
{
public:
    explicit CheckedDevice(QIODevice &out) : out_(out) { open(QIODevice::WriteOnly); }

    bool isSequential() const override { return true; }
    bool hasFailed() const { return failed_; }

    // The message of a refusal, naming the file when the device is one.
    QString failure() const
    {
        const auto *file = qobject_cast<const QFileDevice *>(&out_);
        const QString name = file ? file->fileName() : QStringLiteral("PDF");
        return QStringLiteral("Cannot write file %1: %2").arg(name, reason_);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override
    {
        qint64 done = 0;
        while (!failed_ && done < size) {
            const qint64 n = out_.write(data + done, size - done);
            if (n <= 0) {
                failed_ = true;
                reason_ = out_.errorString();
                if (reason_.isEmpty() || reason_ == QLatin1String("Unknown error")) {
                    reason_ = QStringLiteral("the device accepted no more bytes");
                }
            } else {
                done += n;
            }
        }
        // The writer is told every byte went: what it does with a short write is undefined.
        return size;
    }

private:
    QIODevice &out_;
    bool failed_ = false;
    QString reason_;
};

} // namespace

int printOutline(QPagedPaintDevice &device, const LeafSource &leaves, const QString &title,
                 const Progress &progress)
{
    if (auto *pdf = dynamic_cast<QPdfWriter *>(&device); pdf && pdf->title().isEmpty()) {
        pdf->setTitle(title);
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        throw FileError(QStringLiteral("Cannot print %1: the printer did not start").arg(title));
    }
    const PageArea area{QSizeF(device.width(), device.height()), qreal(device.logicalDpiX()),
                        qreal(device.logicalDpiY())};
    const auto newPage = [&device, &title] {
        if (!device.newPage()) {
            throw FileError(QStringLiteral("Cannot print %1: the printer took no more pages").arg(title));
        }
    };
    const int pages = paintOutlinePages(painter, area, newPage, leaves, progress);
    painter.end();
    return pages;
}

void writePdf(QIODevice &out, const LeafSource &leaves, const QString &title, const Progress &progress)
{
    CheckedDevice sink(out);
    // A refusal shows between leaves, so a full disk stops the work instead of laying out the rest.
    const Progress checked = [&sink, &progress](qint64 done, qint64 total) {
        if (sink.hasFailed()) {
            throw FileError(sink.failure());
        }
        return !progress || progress(done, total);
    };
    {
        QPdfWriter writer(&sink);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Quillax"));
        writer.setResolution(MaxLayoutDpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(PdfSideMargin, PdfTopMargin, PdfSideMargin, PdfBottomMargin),
                                         QPageLayout::Millimeter));
        printOutline(writer, leaves, title, checked);
    }
    if (sink.hasFailed()) {
        throw FileError(sink.failure());
    }
}

} // namespace formats
