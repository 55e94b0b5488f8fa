// A rich-text editor of leaf text: reports losing the focus and the keys typed and released.
#pragma once

#include <QTextEdit>

class QFocusEvent;
class QKeyEvent;

class LeafEditor : public QTextEdit
{
    Q_OBJECT

public:
    explicit LeafEditor(QWidget *parent = nullptr);

    // Lets the editor handle a key as if typed: a key-press slot hands over a replacement key this way.
    void typeKey(QKeyEvent *event);

signals:
    // The editor has lost the keyboard focus.
    void exited();
    // Each key press, before the editor sees it, emitted with the event not accepted. A directly
    // connected slot swallows the key by accepting the event; the editor then does not see it.
    void keyPressed(QKeyEvent *event);
    // Each key release, after the editor has seen it.
    void keyReleased(QKeyEvent *event);

protected:
    bool event(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};
