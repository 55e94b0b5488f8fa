// Up and down arrows bound to a number in an edit box (range, no wrap-around).
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Steps a position within a range, one step per click or per Up/Down arrow key in the bound edit
// box, stopping at either end. Each change of the position is written into the box in decimal.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    explicit UpDown(QWidget *parent = nullptr);

    // The edit box the position is written into; its Up and Down keys step the position too.
    void setBuddy(QLineEdit *edit);
    QLineEdit *buddy() const { return buddy_; }

    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    int position() const { return position_; }
    // Sets the position (kept within the range) and writes it into the box when it changes.
    void setPosition(int position);

    // Steps from the box's number when it holds one (kept within the range), else from the
    // position; at either end a step does nothing.
    void stepBy(int steps);

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    void positionChanged(int position);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *buddy_ = nullptr;
    QToolButton *up_;
    QToolButton *down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};
