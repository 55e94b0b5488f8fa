// A document layout for texts too tall or too long for Qt's own: it lays out only the blocks that are shown.
#include "text/talllayout.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTextObjectInterface>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace {

// Past these, Qt's own layout takes more than about a second before the first lines show, or never ends:
// it places text in 26.6 fixed point, up to 8,388,607 px.
constexpr int TallBlocks = 30000;
constexpr double TallHeight = 4000000;
// A change to more blocks than this is laid out again as a whole, when next shown.
constexpr int LocalChangeBlocks = 64;
// Text width assumed before the editor has set one.
constexpr double DefaultWidth = 800;
// Marks a document shown in an editor (see markShown).
constexpr char ShownProperty[] = "quillaxShownDocument";

bool isBullet(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

QString markerOf(const QTextBlock &block, const QTextList &list)
{
    switch (list.format().style()) {
    case QTextListFormat::ListDisc:
        return QString(QChar(0x2022));
    case QTextListFormat::ListCircle:
        return QString(QChar(0x25e6));
    case QTextListFormat::ListSquare:
        return QString(QChar(0x25aa));
    default:
        return list.itemText(block);
    }
}

} // namespace

// Draws the pictures of the document's image resources at the size their format asks for.
class TallTextLayout::Images : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    explicit Images(QObject *parent) : QObject(parent) {}

    QSizeF intrinsicSize(QTextDocument *document, int, const QTextFormat &format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        QSizeF size(image.width(), image.height());
        if (size.width() > 0 && size.height() > 0) {
            return size;
        }
        const QImage picture = pictureOf(document, image);
        if (picture.isNull()) {
            return QSizeF(16, 16);
        }
        size = picture.size();
        if (image.width() > 0) {
            return QSizeF(image.width(), size.height() * image.width() / size.width());
        }
        if (image.height() > 0) {
            return QSizeF(size.width() * image.height() / size.height(), image.height());
        }
        return size;
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int,
                    const QTextFormat &format) override
    {
        const QImage picture = pictureOf(document, format.toImageFormat());
        if (picture.isNull()) {
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
            return;
        }
        painter->drawImage(rect, picture);
    }

private:
    static QImage pictureOf(QTextDocument *document, const QTextImageFormat &format)
    {
        const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (resource.userType() == QMetaType::QImage) {
            return resource.value<QImage>();
        }
        if (resource.userType() == QMetaType::QPixmap) {
            return resource.value<QPixmap>().toImage();
        }
        if (resource.userType() == QMetaType::QByteArray) {
            return QImage::fromData(resource.toByteArray());
        }
        return QImage();
    }
};

TallTextLayout::TallTextLayout(QTextDocument *document)
    : QAbstractTextDocumentLayout(document), images_(new Images(this))
{
    registerHandler(QTextFormat::ImageObject, images_);
}

TallTextLayout::~TallTextLayout() = default;

int TallTextLayout::laidOutBlocks() const
{
    return laidOut_;
}

double TallTextLayout::textWidth() const
{
    const double page = document()->pageSize().width();
    const double width = page > 0 ? page : DefaultWidth;
    return std::max(1.0, width - 2 * document()->documentMargin());
}

double TallTextLayout::estimate(const QTextBlock &block) const
{
    const QTextBlockFormat format = block.blockFormat();
    const double width = std::max(1.0, width_ - format.leftMargin() - format.rightMargin());
    const double lines = std::max(1.0, std::ceil(block.length() * charWidth_ / width));
    return format.topMargin() + format.bottomMargin() + lines * lineSpacing_;
}

void TallTextLayout::rebuild() const
{
    QTextDocument *doc = document();
    width_ = textWidth();
    const QFontMetricsF metrics(doc->defaultFont());
    lineSpacing_ = std::max(1.0, metrics.lineSpacing());
    charWidth_ = std::max(1.0, metrics.averageCharWidth());
    const size_t count = size_t(doc->blockCount());
    heights_.assign(count, 0.0);
    size_t i = 0;
    for (QTextBlock block = doc->begin(); block.isValid() && i < count; block = block.next(), ++i) {
        if (block.userState() == generation_) {
            const QTextBlockFormat format = block.blockFormat();
            heights_[i] = format.topMargin() + block.layout()->boundingRect().height() + format.bottomMargin();
        } else {
            heights_[i] = estimate(block);
        }
    }
    // A Fenwick tree built in one pass: each node adds itself into its parent.
    sums_.assign(count + 1, 0.0);
    total_ = 0;
    for (size_t j = 1; j <= count; ++j) {
        sums_[j] += heights_[j - 1];
        total_ += heights_[j - 1];
        const size_t parent = j + (j & (~j + 1));
        if (parent <= count) {
            sums_[parent] += sums_[j];
        }
    }
    dirty_ = false;
}

void TallTextLayout::rebuildIfDirty() const
{
    if (dirty_) {
        rebuild();
    }
}

void TallTextLayout::setHeight(int number, double height) const
{
    const size_t count = heights_.size();
    const double delta = height - heights_[size_t(number)];
    if (delta == 0) {
        return;
    }
    heights_[size_t(number)] = height;
    total_ += delta;
    for (size_t j = size_t(number) + 1; j <= count; j += j & (~j + 1)) {
        sums_[j] += delta;
    }
    sizePending_ = true;
}

double TallTextLayout::top(int number) const
{
    double sum = 0;
    for (size_t j = size_t(number); j > 0; j -= j & (~j + 1)) {
        sum += sums_[j];
    }
    return sum;
}

int TallTextLayout::blockAt(double y) const
{
    const size_t count = heights_.size();
    size_t step = 1;
    while (step * 2 <= count) {
        step *= 2;
    }
    size_t at = 0;
    double rest = y;
    for (; step > 0; step /= 2) {
        if (at + step <= count && sums_[at + step] <= rest) {
            at += step;
            rest -= sums_[at];
        }
    }
    return int(std::min(at, count - 1));
}

int TallTextLayout::place(QTextBlock block) const
{
    return place(block, block.blockNumber());
}

int TallTextLayout::place(QTextBlock block, int number) const
{
    QTextDocument *doc = document();
    QTextLayout *layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    double indent = format.leftMargin() + format.indent() * doc->indentWidth();
    if (const QTextList *list = block.textList()) {
        indent += list->format().indent() * doc->indentWidth();
    }
    if (block.userState() != generation_) {
        const double width = std::max(1.0, width_ - indent - format.rightMargin());
        QTextOption option = doc->defaultTextOption();
        option.setTextDirection(block.textDirection());
        if (format.hasProperty(QTextFormat::BlockAlignment)) {
            option.setAlignment(format.alignment());
        }
        layout->setTextOption(option);
        layout->beginLayout();
        double y = 0;
        for (bool first = true;; first = false) {
            QTextLine line = layout->createLine();
            if (!line.isValid()) {
                break;
            }
            const double x = first ? std::max(0.0, format.textIndent()) : 0.0;
            line.setLineWidth(std::max(1.0, width - x));
            line.setPosition(QPointF(x, y));
            y += line.height();
        }
        layout->endLayout();
        block.setUserState(generation_);
        ++laidOut_;
        setHeight(number, format.topMargin() + y + format.bottomMargin());
    }
    const double margin = doc->documentMargin();
    layout->setPosition(QPointF(margin + indent, margin + top(number) + format.topMargin()));
    return number;
}

void TallTextLayout::announceSize() const
{
    if (!sizePending_ || sizeQueued_) {
        return;
    }
    sizeQueued_ = true;
    // Never from inside a paint or a hit test: the editor answers with new scroll bars and a repaint.
    QMetaObject::invokeMethod(
        const_cast<TallTextLayout *>(this),
        [this] {
            sizeQueued_ = false;
            sizePending_ = false;
            emit const_cast<TallTextLayout *>(this)->documentSizeChanged(documentSize());
        },
        Qt::QueuedConnection);
}

void TallTextLayout::draw(QPainter *painter, const PaintContext &context)
{
    rebuildIfDirty();
    if (heights_.empty()) {
        return;
    }
    QTextDocument *doc = document();
    const double margin = doc->documentMargin();
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, width_ + 2 * margin, total_ + 2 * margin);
    const QVariant widthProperty = property("cursorWidth");
    const int cursorWidth = widthProperty.isValid() ? widthProperty.toInt() : 1;
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    int number = blockAt(clip.top() - margin);
    for (QTextBlock block = doc->findBlockByNumber(number); block.isValid() && margin + top(number) <= clip.bottom();
         block = block.next(), ++number) {
        place(block, number);
        QTextLayout *layout = block.layout();
        const int start = block.position();
        const int length = block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection &selection : context.selections) {
            const int from = std::max(selection.cursor.selectionStart() - start, 0);
            const int to = std::min(selection.cursor.selectionEnd() - start, length);
            if (from < to) {
                selections.append(QTextLayout::FormatRange{from, to - from, selection.format});
            }
        }
        const QBrush background = block.blockFormat().background();
        if (background.style() != Qt::NoBrush) {
            painter->fillRect(QRectF(margin, layout->position().y(), width_, layout->boundingRect().height()),
                              background);
        }
        layout->draw(painter, QPointF(), selections, clip);
        if (const QTextList *list = block.textList(); list != nullptr && layout->lineCount() > 0) {
            const QFontMetricsF metrics(block.charFormat().font());
            const QString marker = markerOf(block, *list);
            const QTextLine first = layout->lineAt(0);
            const double gap = isBullet(list->format().style()) ? metrics.averageCharWidth() : metrics.averageCharWidth() / 2;
            painter->setFont(block.charFormat().font());
            painter->drawText(QPointF(layout->position().x() - metrics.horizontalAdvance(marker) - gap,
                                      layout->position().y() + first.y() + first.ascent()),
                              marker);
        }
        if (context.cursorPosition >= start && context.cursorPosition < start + length) {
            layout->drawCursor(painter, QPointF(), context.cursorPosition - start, cursorWidth);
        }
    }
    painter->restore();
    announceSize();
}

int TallTextLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    rebuildIfDirty();
    if (heights_.empty()) {
        return -1;
    }
    const int number = blockAt(point.y() - document()->documentMargin());
    const QTextBlock block = document()->findBlockByNumber(number);
    place(block, number);
    announceSize();
    const QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0) {
        return block.position();
    }
    const QPointF local = point - layout->position();
    // The last line whose top is at or above the point; the first when the point is above them all.
    int low = 0;
    int high = layout->lineCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (layout->lineAt(middle).y() <= local.y()) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    const QTextLine line = layout->lineAt(low);
    if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(local)) {
        return -1;
    }
    return block.position() + line.xToCursor(local.x());
}

int TallTextLayout::pageCount() const
{
    return 1;
}

QSizeF TallTextLayout::documentSize() const
{
    rebuildIfDirty();
    const double margin = document()->documentMargin();
    return QSizeF(width_ + 2 * margin, total_ + 2 * margin);
}

QRectF TallTextLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (frame == nullptr || frame == document()->rootFrame()) {
        return QRectF(QPointF(0, 0), documentSize());
    }
    const QRectF first = blockBoundingRect(frame->firstCursorPosition().block());
    const QRectF last = blockBoundingRect(frame->lastCursorPosition().block());
    return first.united(last);
}

QRectF TallTextLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid()) {
        return QRectF();
    }
    rebuildIfDirty();
    place(block);
    announceSize();
    const QTextLayout *layout = block.layout();
    return QRectF(layout->position(), QSizeF(width_, layout->boundingRect().height()));
}

void TallTextLayout::documentChanged(int from, int, int charsAdded)
{
    QTextDocument *doc = document();
    // The lines of every block the change touched are stale; the rest keep theirs.
    int changed = 0;
    const int end = from + charsAdded;
    QTextBlock block = doc->findBlock(from);
    const QTextBlock first = block;
    for (; block.isValid() && block.position() <= end; block = block.next()) {
        block.setUserState(-1);
        ++changed;
    }
    if (textWidth() != width_) {
        // A new width lays every block out again.
        ++generation_;
        dirty_ = true;
    }
    if (!dirty_ && (size_t(doc->blockCount()) != heights_.size() || changed > LocalChangeBlocks)) {
        dirty_ = true;
    }
    if (!dirty_) {
        int number = first.blockNumber();
        for (QTextBlock b = first; b.isValid() && changed > 0; b = b.next(), --changed, ++number) {
            place(b, number);
        }
    } else {
        sizePending_ = true;
    }
    emit update();
    announceSize();
    if (doc->characterCount() <= 1 && textlayout::isShown(*doc)) {
        // An emptied editor takes Qt's own layout back for what is typed next.
        QMetaObject::invokeMethod(
            doc, [doc] { textlayout::chooseLayout(*doc); }, Qt::QueuedConnection);
    }
}

namespace textlayout {

bool isTall(const QTextDocument &document)
{
    if (document.blockCount() > TallBlocks) {
        return true;
    }
    const double page = document.pageSize().width();
    const double width = std::max(1.0, (page > 0 ? page : DefaultWidth) - 2 * document.documentMargin());
    const QFontMetricsF metrics(document.defaultFont());
    const double spacing = std::max(1.0, metrics.lineSpacing());
    const double charWidth = std::max(1.0, metrics.averageCharWidth());
    double height = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        height += format.topMargin() + format.bottomMargin() +
                  std::max(1.0, std::ceil(block.length() * charWidth / width)) * spacing;
    }
    return height > TallHeight;
}

void chooseLayout(QTextDocument &document)
{
    const bool tall = isTall(document);
    const bool lazy = qobject_cast<TallTextLayout *>(document.documentLayout()) != nullptr;
    if (tall && !lazy) {
        document.setDocumentLayout(new TallTextLayout(&document));
    } else if (!tall && lazy) {
        // Without a layout the document makes Qt's own the next time one is asked for; an editor asks at once.
        document.setDocumentLayout(nullptr);
        document.documentLayout();
    }
}

LoadingLayout::LoadingLayout(QTextDocument &document) : document_(document)
{
    if (isShown(document) && qobject_cast<TallTextLayout *>(document.documentLayout()) == nullptr) {
        document.setDocumentLayout(new TallTextLayout(&document));
    }
}

LoadingLayout::~LoadingLayout()
{
    if (isShown(document_)) {
        chooseLayout(document_);
    }
}

void markShown(QTextDocument &document)
{
    document.setProperty(ShownProperty, true);
}

bool isShown(const QTextDocument &document)
{
    return document.property(ShownProperty).toBool();
}

} // namespace textlayout

#include "talllayout.moc"
