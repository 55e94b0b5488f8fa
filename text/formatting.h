// Formatting of a rich-text editor's selection, the size box's number rule and drop-down completion.
#pragma once

#include <QString>
#include <QStringList>

class QTextCursor;
class QTextBlockFormat;
class QTextCharFormat;

namespace formatting {

// Character style as a set of four flags, fixed by the style bits of the editor.
enum StyleFlag : int {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};
constexpr int AllStyles = Bold | Italic | Underline | StrikeOut;

// Face names longer than this are cut when applied.
constexpr int MaxFaceNameChars = 31;
// Bulleted paragraphs hang by at least this much (points).
constexpr double MinBulletHangingIndent = 10.0;

// Converts the text of a number box to a signed 32-bit integer: blanks before the number are
// skipped, one "+" or "-" may lead, "$", "x" or "0x" introduce up to eight hexadecimal digits
// (the value is taken as 32 bits, so "$FFFFFFFF" is -1), otherwise decimal digits follow that
// must fit a signed 32-bit integer. Nothing may follow the digits. False when the text is none of this.
bool tryStrToInt(const QString &text, int &value);
// As tryStrToInt; throws AppError("'text' is not a valid integer value") on failure.
int StrToInt(const QString &text);

// The keyboard shortcut's style flag for a key code held with Ctrl: B, I, U, S (either case) give
// bold, italic, underline, strike-out; 0 for every other key.
int shortcutStyle(int key);

// Completion of a typed character in a drop-down box.
struct Completion {
    QString text;      // the box's new text
    int pickedIndex;   // the list item that completed it
    int selectStart;   // the completed rest, selected: from here to the end of text
};
// The candidate is the box text before its selected part (all of it when nothing is selected)
// followed by the typed character. When a list item begins with it, letter case ignored (the
// first such item in list order), the result is the candidate followed by the rest of that item.
// Returns false when no item begins with the candidate: the character is then typed normally.
bool complete(const QStringList &items, const QString &text, int selectionStart, int selectionLength,
              QChar typed, Completion &result);

// The indent of a paragraph's wrapped lines relative to its first line, in points. A list
// paragraph keeps it as a block property; any other paragraph shows it as a negative first-line indent.
double hangingIndent(const QTextBlockFormat &format);

// Makes the paragraphs touched by the cursor's selection (or the cursor's paragraph) one bulleted
// list, raising a hanging indent below 10 points to 10; or, with on false, takes them out of their
// lists with a hanging indent of 0. One undo step.
void setBullets(QTextCursor cursor, bool on);

// The four style flags a character format carries.
int stylesOf(const QTextCharFormat &format);

} // namespace formatting
