// The editor end of text transfer: a QTextDocument read from and written to bytes.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QTextFormat>

class QTextDocument;

namespace richtext {

// Block property of a list paragraph: the hanging indent of its first line, in points (double).
constexpr int HangingIndentProperty = QTextFormat::UserProperty + 1;
// List property of a part of a long bulleted list that the RTF reader holds in several QTextLists: the object
// index of the list's first part (int). The writer saves the parts as that one list.
constexpr int ListFirstPartProperty = QTextFormat::UserProperty + 2;
// List property: the number of a numbered list's first item (int), 1 when absent. It has the id of the list
// start that later Qt versions number the items from; Qt 6.4 keeps it but numbers from 1.
constexpr int ListStartProperty = 0x3004;
// Character property of underlined text whose underline is not a single line under everything (int, one of
// UnderlineKind); such text is shown with a single underline.
constexpr int UnderlineKindProperty = QTextFormat::UserProperty + 3;
enum UnderlineKind : int { DoubleUnderline = 2, WordUnderline = 3 };
// Image properties of a picture read from RTF: its data as the document held it (QByteArray), and the RTF
// words of its kind and size (QByteArray, such as "\\wmetafile8\\picw2000\\pich1000"). The writer writes
// the picture back in that form; what the image shows is the picture, or a stand-in naming its kind.
constexpr int PictureDataProperty = QTextFormat::UserProperty + 4;
constexpr int PictureWordsProperty = QTextFormat::UserProperty + 5;

// The base font: what new and plain text in the leaf editor takes, and what imported text is written in.
QFont baseFont();

// True when the bytes, after optional white space, begin with "{\rtf".
bool isRtf(const QByteArray &bytes);

// Replaces the document's content by the bytes: RTF when isRtf(), otherwise plain text
// (decoded by encoding::decodePlainText) in the document's default font.
// Throws AppError("Failed to Load Stream") when the bytes can be read neither way.
void loadBytes(QTextDocument &document, const QByteArray &bytes);

// Replaces the document's content by plain text, unformatted, in the document's default font.
void loadPlainText(QTextDocument &document, const QString &text);

// The whole document as RTF, ending in "}" CR LF.
// Throws AppError("Failed to Save Stream") when it cannot be written.
QByteArray saveBytes(const QTextDocument &document);

} // namespace richtext
