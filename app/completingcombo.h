// An editable drop-down box that completes typed text from its list items.
#pragma once

#include <QComboBox>

class QKeyEvent;

// Typing completes from the list: the text before the selected part plus the typed character is
// looked up (letter case ignored, first item in list order); on a match the box shows it followed
// by the rest of the item, that rest selected, and the item becomes the picked one. Any other
// edit drops the pick. The box never adds typed texts to its list.
class CompletingComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CompletingComboBox(QWidget *parent = nullptr);

    // The box's list items, in order.
    QStringList items() const;
    // The list opens on the item the box shows, when there is one of exactly that text.
    void showPopup() override;

signals:
    // Reported only for changes the user makes (typing, picking); never when code sets the text.
    void userChanged();

protected:
    // Keys reach the box or, sent to it directly, its line edit: both complete the same way.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Watches the line edit the box uses for its text (made when the box becomes editable).
    void attachLineEdit();
    bool typeKey(QKeyEvent *event);
    // Sets currentIndex without touching the text, caret or selection.
    void setPick(int index);
    void editedByUser();
    void textChangedAnyhow(const QString &text);

    bool busy_ = false;
};
