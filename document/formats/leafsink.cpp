// The leaves a reader finds, kept within the tree file's limits, and what those limits cost.
#include "document/formats/leafsink.h"

#include "document/outlinefile.h"
#include "document/tvclasses.h"
#include "text/encoding.h"
#include "text/richtext.h"
#include "text/rtf/rtfwriter.h"

#include <QTextDocument>

namespace formats {

namespace {

// Progress is heard every this many leaves: often enough for a dialog, rarely enough to cost nothing.
constexpr int ReportEvery = 256;

// The text in Windows-1252 cut to limit bytes; says whether characters were lost or bytes cut.
QByteArray fieldBytes(const QString &text, int limit, bool &lossy, bool &cut)
{
    QByteArray bytes = encoding::toCp1252(text);
    lossy = encoding::fromCp1252(bytes) != text;
    cut = bytes.size() > limit;
    if (cut) {
        bytes.truncate(limit);
    }
    return bytes;
}

// A caption or category is one line in the tree: a line break shows as a space; control characters other
// than tab would only show as boxes (and no outline file could hold them), so they go.
QString oneLineOf(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            continue;
        }
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            line += QLatin1Char(' ');
        } else if (c.unicode() >= 0x20 || c == QLatin1Char('\t')) {
            line += c;
        }
    }
    return line;
}

} // namespace

ImportError::ImportError(QString message, qint64 offset) : FormatError(std::move(message), offset) {}

Cancelled::Cancelled() : AppError(QStringLiteral("Cancelled")) {}

bool ImportWarnings::isEmpty() const
{
    return captionsCut == 0 && captionsLossy == 0 && categoriesCut == 0 && categoriesLossy == 0;
}

QStringList ImportWarnings::lines() const
{
    const auto count = [](int n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QStringList lines;
    if (captionsLossy > 0) {
        lines << QStringLiteral("%1 held characters a tree file cannot store; they read \"?\".")
                     .arg(count(captionsLossy, "caption", "captions"));
    }
    if (captionsCut > 0) {
        lines << QStringLiteral("%1 cut to %2 characters.")
                     .arg(count(captionsCut, "caption was", "captions were"))
                     .arg(MaxCaptionBytes);
    }
    if (categoriesLossy > 0) {
        lines << QStringLiteral("%1 held characters a tree file cannot store; they read \"?\".")
                     .arg(count(categoriesLossy, "category", "categories"));
    }
    if (categoriesCut > 0) {
        lines << QStringLiteral("%1 cut to %2 characters.")
                     .arg(count(categoriesCut, "category was", "categories were"))
                     .arg(MaxCategoryBytes);
    }
    return lines;
}

LeafSink::LeafSink(qint64 total, Progress progress) : total_(total), progress_(std::move(progress)) {}
LeafSink::~LeafSink() = default;
LeafSink::LeafSink(LeafSink &&) noexcept = default;
LeafSink &LeafSink::operator=(LeafSink &&) noexcept = default;

void LeafSink::addPlainLeaf(int level, const QString &caption, const QString &category, const QString &text,
                            qint64 sourceOffset)
{
    QByteArray rtf;
    if (!text.isEmpty()) {
        if (!plainFont_) {
            plainFont_ = std::make_unique<QTextDocument>();
            plainFont_->setDefaultFont(richtext::baseFont());
        }
        rtf = rtf::writePlainText(*plainFont_, text);
    }
    addLeaf(level, caption, category, std::move(rtf), sourceOffset);
}

void LeafSink::addLeaf(int level, const QString &caption, const QString &category, const QTextDocument *text,
                       qint64 sourceOffset)
{
    QByteArray rtf;
    if (text && !text->isEmpty()) {
        rtf = richtext::saveBytes(*text);
    }
    addLeaf(level, caption, category, std::move(rtf), sourceOffset);
}

void LeafSink::addLeaf(int level, const QString &caption, const QString &category, QByteArray rtf,
                       qint64 sourceOffset)
{
    TreeFileRecord record;
    bool lossy = false;
    bool cut = false;
    const QString oneLine = oneLineOf(caption);
    record.caption = fieldBytes(oneLine, MaxCaptionBytes, lossy, cut);
    warnings_.captionsLossy += lossy ? 1 : 0;
    warnings_.captionsCut += cut ? 1 : 0;
    const QString categoryText = category.isEmpty() ? QStringLiteral("Unknown") : oneLineOf(category);
    record.category = fieldBytes(categoryText, MaxCategoryBytes, lossy, cut);
    warnings_.categoriesLossy += lossy ? 1 : 0;
    warnings_.categoriesCut += cut ? 1 : 0;
    // Stored as the tree file's reader will place it, so what is written reads back as it was found.
    record.level = AttachLoadedLeaf(previousLevel_, std::max(level, 0));
    previousLevel_ = record.level;
    // The writer's buffer grows ahead of its text; kept for every leaf, the slack would be most of the import's
    // memory.
    rtf.squeeze();
    record.text = std::move(rtf);
    records_.push_back(std::move(record));
    if (++sinceReport_ >= ReportEvery) {
        sinceReport_ = 0;
        reportProgress(sourceOffset);
    }
}

void LeafSink::reportProgress(qint64 sourceOffset)
{
    if (progress_ && !progress_(std::max<qint64>(sourceOffset, 0), total_)) {
        throw Cancelled();
    }
}

} // namespace formats
