// Up and down arrows bound to a number in an edit box (range, no wrap-around).
#pragma once

#include <QWidget>

class UpDown : public QWidget
{
    Q_OBJECT

public:
    explicit UpDown(QWidget *parent = nullptr);
};
