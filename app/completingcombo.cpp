// An editable drop-down box that completes typed text from its list items.
#include "app/completingcombo.h"

#include "text/formatting.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

CompletingComboBox::CompletingComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    attachLineEdit();
    // Picking from the drop-down list (or stepping with the arrow keys) is a user change.
    connect(this, &QComboBox::activated, this, [this] { emit userChanged(); });
}

QStringList CompletingComboBox::items() const
{
    QStringList list;
    list.reserve(count());
    for (int i = 0; i < count(); ++i) {
        list.append(itemText(i));
    }
    return list;
}

void CompletingComboBox::showPopup()
{
    QComboBox::showPopup();
    const int row = findText(currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (row >= 0) {
        view()->setCurrentIndex(model()->index(row, modelColumn(), rootModelIndex()));
    }
}

void CompletingComboBox::attachLineEdit()
{
    QLineEdit *edit = lineEdit();
    if (edit == nullptr) {
        return;
    }
    // The built-in completer keeps the typed case differently and picks only on Return.
    setCompleter(nullptr);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (!busy_) {
            editedByUser();
        }
    });
    connect(edit, &QLineEdit::textChanged, this, &CompletingComboBox::textChangedAnyhow);
}

bool CompletingComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit()) {
        if (event->type() == QEvent::KeyPress && typeKey(static_cast<QKeyEvent *>(event))) {
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CompletingComboBox::keyPressEvent(QKeyEvent *event)
{
    if (lineEdit() != nullptr && typeKey(event)) {
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool CompletingComboBox::typeKey(QKeyEvent *event)
{
    QLineEdit *edit = lineEdit();
    const Qt::KeyboardModifiers commands = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Backspace && commands == Qt::NoModifier) {
        busy_ = true;
        edit->backspace();
        busy_ = false;
        setPick(-1);
        emit userChanged();
        return true;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Return neither adds the text to the list nor replaces it by a like-named item.
        return true;
    }
    const QString typed = event->text();
    if (commands != Qt::NoModifier || typed.size() != 1 || !typed.at(0).isPrint()) {
        return false;
    }
    formatting::Completion completion;
    const int selectionStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int selectionLength = static_cast<int>(edit->selectedText().size());
    if (!formatting::complete(items(), edit->text(), selectionStart, selectionLength, typed.at(0), completion)) {
        busy_ = true;
        edit->insert(typed);
        busy_ = false;
        setPick(-1);
        emit userChanged();
        return true;
    }
    const bool changed = completion.pickedIndex != currentIndex();
    busy_ = true;
    setPick(completion.pickedIndex);
    edit->setText(completion.text);
    edit->setSelection(static_cast<int>(completion.text.size()), completion.selectStart - static_cast<int>(completion.text.size()));
    busy_ = false;
    if (changed) {
        emit userChanged();
    }
    return true;
}

void CompletingComboBox::setPick(int index)
{
    if (index == currentIndex()) {
        return;
    }
    QLineEdit *edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = static_cast<int>(edit->selectedText().size());
    const bool wasBusy = busy_;
    busy_ = true;
    // QComboBox replaces the text by the item's (an empty text for no item): put the user's back.
    setCurrentIndex(index);
    if (edit->text() != text) {
        edit->setText(text);
    }
    if (selectionLength > 0) {
        if (cursor == selectionStart) {
            edit->setSelection(selectionStart + selectionLength, -selectionLength);
        } else {
            edit->setSelection(selectionStart, selectionLength);
        }
    } else {
        edit->setCursorPosition(cursor);
    }
    busy_ = wasBusy;
}

void CompletingComboBox::editedByUser()
{
    // Deleting, pasting or cutting: the text no longer stands for a picked item.
    setPick(-1);
    emit userChanged();
}

void CompletingComboBox::textChangedAnyhow(const QString &text)
{
    if (busy_) {
        return;
    }
    // A text set from code keeps the pick only while it still names the picked item.
    const int picked = currentIndex();
    if (picked >= 0 && text.compare(itemText(picked), Qt::CaseInsensitive) != 0) {
        setPick(-1);
    }
}
