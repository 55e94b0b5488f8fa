// An editable drop-down box that completes typed text from its list items.
#pragma once

#include <QComboBox>

class CompletingComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CompletingComboBox(QWidget *parent = nullptr);

signals:
    // Reported only for changes the user makes (typing, picking); never when code sets the text.
    void userChanged();
};
