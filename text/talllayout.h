// A document layout for texts too tall or too long for Qt's own: it lays out only the blocks that are shown.
#pragma once

#include <QAbstractTextDocumentLayout>

#include <vector>

class QTextBlock;

// Qt's own layout places text in 26.6 fixed point, so it never finishes a document taller than 8,388,607 px,
// and it lays out every block before the last can be shown. This one keeps each block's height in a Fenwick
// tree of doubles: a block not yet shown counts at an estimate from its length and margins, and is laid out
// the first time it is drawn, hit or asked for its rectangle. Every block is a paragraph the width of the page:
// table cells and frames show as paragraphs one under another, without borders.
class TallTextLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT

public:
    explicit TallTextLayout(QTextDocument *document);
    ~TallTextLayout() override;

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // Blocks laid out so far (the rest count at their estimate).
    int laidOutBlocks() const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void rebuild() const;
    void rebuildIfDirty() const;
    double estimate(const QTextBlock &block) const;
    double textWidth() const;
    // Lays the block out when it has no lines yet and places it at its top; returns its number.
    int place(QTextBlock block) const;
    int place(QTextBlock block, int number) const;
    void setHeight(int number, double height) const;
    double top(int number) const;
    int blockAt(double y) const;
    void announceSize() const;

    mutable std::vector<double> heights_;
    mutable std::vector<double> sums_; // Fenwick tree over heights_
    mutable double total_ = 0;
    mutable bool dirty_ = true;
    mutable bool sizePending_ = false;
    mutable int laidOut_ = 0;
    mutable double width_ = -1;
    mutable double lineSpacing_ = 1;
    mutable double charWidth_ = 1;
    mutable bool sizeQueued_ = false;
    // A block's user state is this generation while its lines are current; a block's state starts at -1.
    int generation_ = 1;
    class Images;
    Images *images_;
};

namespace textlayout {

// True when the document is too tall or too long for Qt's own layout to show in good time: more blocks than
// it lays out in about a second, or an estimated height past half of what its coordinates can hold.
bool isTall(const QTextDocument &document);

// Gives a document shown in an editor the layout its text needs: TallTextLayout when isTall(), else Qt's own.
void chooseLayout(QTextDocument &document);

// While alive, a document shown in an editor is laid out by a TallTextLayout, which costs next to nothing
// while text is read into it; at the end, chooseLayout() picks the layout for what was read.
class LoadingLayout
{
public:
    explicit LoadingLayout(QTextDocument &document);
    ~LoadingLayout();
    LoadingLayout(const LoadingLayout &) = delete;
    LoadingLayout &operator=(const LoadingLayout &) = delete;

private:
    QTextDocument &document_;
};

// Marks a document as shown in an editor, so that loading bytes into it goes through a LoadingLayout.
void markShown(QTextDocument &document);
bool isShown(const QTextDocument &document);

} // namespace textlayout
