// The style, face name and size of a rich-text editor's selection, as the formatting controls show and set them.
#pragma once

#include <QString>

class QTextEdit;

// The style, face name and size of an editor's selection. With nothing selected they are those of
// the text typed next at the caret. Writes cover the whole selection.
class SelectionAttributes
{
public:
    explicit SelectionAttributes(QTextEdit *editor) : editor_(editor) {}

    // A flag is reported set when every character of the selection has it.
    int style() const;
    // Asserts all four flags over the whole selection.
    void setStyle(int styles);

    // The face of the selection's first character (of the text typed next when nothing is selected).
    QString name() const;
    // Applies the face, cut to 31 characters; only the face changes. An empty name changes nothing.
    void setName(const QString &name);

    // The size in whole points of the selection's first character.
    int size() const;
    // Applies the size in points; a size of 0 or less cannot be shown and leaves the size as it was.
    void setSize(int points);

private:
    QTextEdit *editor_;
};
