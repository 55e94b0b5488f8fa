// Up and down arrows bound to a number in an edit box (range, no wrap-around).
#include "app/updown.h"

#include "text/formatting.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

UpDown::UpDown(QWidget *parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::setBuddy(QLineEdit *edit)
{
    if (buddy_ != nullptr) {
        buddy_->removeEventFilter(this);
    }
    buddy_ = edit;
    if (buddy_ != nullptr) {
        buddy_->installEventFilter(this);
    }
}

void UpDown::setRange(int minimum, int maximum)
{
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDown::setPosition(int position)
{
    position = std::clamp(position, minimum_, maximum_);
    if (position == position_) {
        return;
    }
    position_ = position;
    if (buddy_ != nullptr) {
        buddy_->setText(QString::number(position_));
    }
    emit positionChanged(position_);
}

void UpDown::stepBy(int steps)
{
    int from = position_;
    int typed = 0;
    if (buddy_ != nullptr && formatting::tryStrToInt(buddy_->text(), typed)) {
        from = std::clamp(typed, minimum_, maximum_);
    }
    // No wrap-around: a step beyond either end does nothing.
    const qint64 to = static_cast<qint64>(from) + steps;
    if (to < minimum_ || to > maximum_) {
        position_ = from;
        return;
    }
    position_ = from;
    setPosition(static_cast<int>(to));
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
