// A rich-text editor of leaf text: reports losing the focus and the keys typed and released.
#pragma once

#include <QTextEdit>

#include <functional>

class QFocusEvent;
class QKeyEvent;

class LeafEditor : public QTextEdit
{
    Q_OBJECT

public:
    explicit LeafEditor(QWidget *parent = nullptr);

    // Runs when the editor loses the keyboard focus. Cleared by the window before it goes away.
    std::function<void()> onExit;
    // Sees each key press before the editor (may change or swallow it) and each key release.
    // A press hook swallows a key by accepting the event; the editor then does not see it.
    std::function<void(QKeyEvent *)> onKeyPress;
    std::function<void(QKeyEvent *)> onKeyUp;

    // Lets the editor handle a key as if typed: a press hook hands over a replacement key this way.
    void typeKey(QKeyEvent *event);

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};
