// A rich-text editor of leaf text: reports losing the focus and the keys typed and released.
#pragma once

#include <QTextEdit>

#include <functional>

class LeafEditor : public QTextEdit
{
    Q_OBJECT

public:
    explicit LeafEditor(QWidget *parent = nullptr);

    // Runs when the editor loses the keyboard focus. Cleared by the window before it goes away.
    std::function<void()> onExit;
    // Sees each key press before the editor (may change or swallow it) and each key release.
    std::function<void(QKeyEvent *)> onKeyPress;
    std::function<void(QKeyEvent *)> onKeyUp;
};
