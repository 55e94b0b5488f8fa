// The style, face name and size of a rich-text editor's selection, as the formatting controls show and set them.
#include "app/selectionattributes.h"

#include "text/formatting.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <cmath>

using formatting::stylesOf;

namespace {

// The format of the selection's first character, or of the text typed next when nothing is selected.
QTextCharFormat leadingFormat(const QTextEdit *editor)
{
    const QTextCursor cursor = editor->textCursor();
    if (!cursor.hasSelection()) {
        return editor->currentCharFormat();
    }
    QTextCursor first(editor->document());
    first.setPosition(cursor.selectionStart());
    first.movePosition(QTextCursor::NextCharacter);
    return first.charFormat();
}

} // namespace

int SelectionAttributes::style() const
{
    const QTextCursor cursor = editor_->textCursor();
    if (!cursor.hasSelection()) {
        return stylesOf(editor_->currentCharFormat());
    }
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    int styles = formatting::AllStyles;
    bool seen = false;
    for (QTextBlock block = editor_->document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end) {
                continue;
            }
            styles &= stylesOf(fragment.charFormat());
            seen = true;
        }
    }
    // A selection of empty paragraphs only: the format at the caret.
    return seen ? styles : stylesOf(cursor.charFormat());
}

void SelectionAttributes::setStyle(int styles)
{
    QTextCharFormat format;
    format.setFontWeight((styles & formatting::Bold) != 0 ? QFont::Bold : QFont::Normal);
    format.setFontItalic((styles & formatting::Italic) != 0);
    format.setFontUnderline((styles & formatting::Underline) != 0);
    format.setFontStrikeOut((styles & formatting::StrikeOut) != 0);
    editor_->mergeCurrentCharFormat(format);
}

QString SelectionAttributes::name() const
{
    const QFont font = leadingFormat(editor_).font().resolve(editor_->document()->defaultFont());
    return font.family();
}

void SelectionAttributes::setName(const QString &name)
{
    if (name.isEmpty()) {
        return;
    }
    const QString face = name.left(formatting::MaxFaceNameChars);
    QTextCharFormat format;
    format.setFontFamilies(QStringList{face});
    format.setProperty(QTextFormat::FontFamily, face);
    editor_->mergeCurrentCharFormat(format);
}

int SelectionAttributes::size() const
{
    const QTextCharFormat format = leadingFormat(editor_);
    const double points = format.fontPointSize() > 0 ? format.fontPointSize()
                                                     : editor_->document()->defaultFont().pointSizeF();
    return static_cast<int>(std::lround(points));
}

void SelectionAttributes::setSize(int points)
{
    if (points <= 0) {
        return;
    }
    QTextCharFormat format;
    format.setFontPointSize(points);
    editor_->mergeCurrentCharFormat(format);
}
