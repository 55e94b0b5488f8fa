// Tall texts in the leaf editor: laid out lazily past Qt's fixed-point limit, placed, hit and edited there.
#include "app/leafeditor.h"
#include "text/richtext.h"
#include "text/talllayout.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

// Paragraphs of about 150 px each: 57,000 of them are taller than Qt's layout can place (8,388,607 px).
QByteArray spacedParagraphs(int count)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 0; i < count; ++i) {
        rtf += "\\pard\\sb2000 Paragraph " + QByteArray::number(i) + "\\par ";
    }
    return rtf + "}";
}

// Every placed block starts where the one before it ends, margins included.
void verifyStacked(const QTextDocument &document, const QList<int> &numbers)
{
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (int n : numbers) {
        const QTextBlock block = document.findBlockByNumber(n);
        const QTextBlock next = block.next();
        const QRectF here = layout->blockBoundingRect(block);
        const QRectF there = layout->blockBoundingRect(next);
        const double gap = block.blockFormat().bottomMargin() + next.blockFormat().topMargin();
        QVERIFY2(qAbs(here.bottom() + gap - there.top()) < 0.01, qPrintable(QString::number(n)));
        QCOMPARE(layout->hitTest(here.center(), Qt::FuzzyHit) >= block.position(), true);
        QVERIFY(layout->hitTest(here.center(), Qt::FuzzyHit) < next.position());
    }
}

} // namespace

class TallLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void tallTextShowsScrollsAndEdits();
    void placesBlocksAfterEdits();
    void ordinaryTextKeepsQtLayout();
};

void TallLayoutTest::tallTextShowsScrollsAndEdits()
{
    LeafEditor editor;
    editor.resize(600, 400);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTextDocument *document = editor.document();
    richtext::loadBytes(*document, spacedParagraphs(57000));
    QVERIFY(qobject_cast<TallTextLayout *>(document->documentLayout()) != nullptr);
    QCoreApplication::processEvents();
    const double height = document->documentLayout()->documentSize().height();
    QVERIFY2(height > 8388607, qPrintable(QString::number(height)));

    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QTest::keyClicks(&editor, QStringLiteral("END"));
    QCoreApplication::processEvents();
    QCOMPARE(document->lastBlock().text(), QStringLiteral("Paragraph 56999END"));
    const QScrollBar *bar = editor.verticalScrollBar();
    QVERIFY2(bar->value() > bar->maximum() * 0.99, qPrintable(QString::number(bar->value())));
    // The cursor is on screen at the end of the text.
    QVERIFY(editor.viewport()->rect().contains(editor.cursorRect().center()));
    const int shown = qobject_cast<TallTextLayout *>(document->documentLayout())->laidOutBlocks();
    QVERIFY2(shown < 1000, qPrintable(QString::number(shown)));

    // A click at the last line puts the cursor there.
    const QPoint last = editor.cursorRect().center();
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(editor.textCursor().blockNumber(), 0);
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, last);
    QCOMPARE(editor.textCursor().blockNumber(), 56999);
}

void TallLayoutTest::placesBlocksAfterEdits()
{
    LeafEditor editor;
    editor.resize(500, 300);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTextDocument *document = editor.document();
    richtext::loadBytes(*document, spacedParagraphs(40000));
    QVERIFY(qobject_cast<TallTextLayout *>(document->documentLayout()) != nullptr);
    verifyStacked(*document, {0, 1, 20000, 39998});

    // A long paragraph wraps to more lines than its estimate; blocks after it move down.
    QTextCursor cursor(document->findBlockByNumber(100));
    cursor.insertText(QString(3000, QLatin1Char('w')).replace(QLatin1String("wwwww"), QLatin1String("word ")));
    // New and removed blocks renumber those after them.
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("inserted"));
    QTextCursor removing(document->findBlockByNumber(30000));
    removing.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 3);
    removing.removeSelectedText();
    QCOMPARE(document->blockCount(), 40001 - 3);
    verifyStacked(*document, {99, 100, 101, 29999, 30000, 39996});
    QVERIFY(document->documentLayout()->blockBoundingRect(document->findBlockByNumber(100)).height() > 40);
    QCOMPARE(document->documentLayout()->documentSize().height(),
             document->documentLayout()->blockBoundingRect(document->lastBlock()).bottom() +
                 document->documentMargin());
}

void TallLayoutTest::ordinaryTextKeepsQtLayout()
{
    LeafEditor editor;
    QTextDocument *document = editor.document();
    richtext::loadBytes(*document, spacedParagraphs(40000));
    QVERIFY(qobject_cast<TallTextLayout *>(document->documentLayout()) != nullptr);
    // A table shows with its cells side by side again once a short text is loaded.
    richtext::loadBytes(*document, "{\\rtf1 \\trowd\\cellx2000\\cellx4000\\pard\\intbl a\\cell b\\cell\\row}");
    QVERIFY(qobject_cast<TallTextLayout *>(document->documentLayout()) == nullptr);
    QCOMPARE(document->rootFrame()->childFrames().size(), 1);
    const auto *table = qobject_cast<QTextTable *>(document->rootFrame()->childFrames().first());
    QVERIFY(table != nullptr);
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    const QRectF a = layout->blockBoundingRect(table->cellAt(0, 0).firstCursorPosition().block());
    const QRectF b = layout->blockBoundingRect(table->cellAt(0, 1).firstCursorPosition().block());
    QCOMPARE(a.top(), b.top());
    // Emptied and typed into, the editor is back on Qt's layout too.
    richtext::loadBytes(*document, spacedParagraphs(40000));
    editor.clear();
    QCoreApplication::processEvents();
    QVERIFY(qobject_cast<TallTextLayout *>(document->documentLayout()) == nullptr);
}

QTEST_MAIN(TallLayoutTest)
#include "talllayout_test.moc"
