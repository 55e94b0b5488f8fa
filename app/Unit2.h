// The About dialog: banner, icon, name, version and the rights lines.
#pragma once

#include <QDialog>

class QKeyEvent;
class QLabel;
class QPushButton;

// Created hidden at start-up and shown modeless by Help > About; closing it only hides it.
class TForm2 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *StaticText1 = nullptr;
    QLabel *StaticText2 = nullptr;
    QLabel *StaticText4 = nullptr;
    QLabel *StaticText3 = nullptr;
    QLabel *StaticText5 = nullptr;
    QPushButton *OKButton1 = nullptr;

    void OKButton1Click();

protected:
    // Escape does nothing here; Enter presses the OK button.
    void keyPressEvent(QKeyEvent *event) override;
};
