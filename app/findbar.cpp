// The find field at the bottom of the Tree page.
#include "app/findbar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

FindBar::FindBar(FindHost host, QWidget *parent) : QWidget(parent), host_(std::move(host))
{
    setObjectName(QStringLiteral("FindBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *caption = new QLabel(tr("Find:"), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("FindEdit"));
    field_->setAccessibleName(QStringLiteral("Find"));
    field_->setClearButtonEnabled(true);
    caption->setBuddy(field_);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("FindLabel"));
    label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QStringLiteral("100000 of 100000 leaves")));
    auto *closer = new QToolButton(this);
    closer->setObjectName(QStringLiteral("FindClose"));
    closer->setText(QStringLiteral("×"));
    closer->setAccessibleName(tr("Close Find"));
    closer->setAutoRaise(true);
    layout->addWidget(caption);
    layout->addWidget(field_, 1);
    layout->addWidget(label_);
    layout->addWidget(closer);

    timer_ = new QTimer(this);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, &FindBar::scanStep);
    connect(field_, &QLineEdit::textChanged, this, [this] { start(true); });
    connect(closer, &QToolButton::clicked, this, &FindBar::close);
    field_->installEventFilter(this);
    hide();
}

void FindBar::open()
{
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
    if (!field_->text().isEmpty()) {
        start(false);
    }
}

void FindBar::close()
{
    timer_->stop();
    // The keyboard goes to the editor first: hiding the focused field would hand it to the next control in
    // the tab order (the category box), and a screen reader would announce that box on the way.
    host_.leave();
    hide();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool back = key->modifiers().testFlag(Qt::ShiftModifier);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F3:
            step(!back);
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int FindBar::selectedPosition() const
{
    const FindIndex::Key key = host_.selected();
    if (!key) {
        return -1;
    }
    // The last position gone to is usually still the selected leaf.
    if (shown_ >= 0 && size_t(shown_) < order_.size() && order_[size_t(shown_)] == key) {
        return shown_;
    }
    const auto it = std::find(order_.begin(), order_.end(), key);
    return it == order_.end() ? -1 : int(it - order_.begin());
}

void FindBar::start(bool goFirst)
{
    timer_->stop();
    query_ = field_->text();
    folded_ = FindIndex::fold(query_);
    positions_.clear();
    shown_ = -1;
    order_.clear();
    scanned_ = 0;
    if (query_.isEmpty()) {
        label_->clear();
        return;
    }
    host_.storeEdits();
    FindIndex *index = host_.index();
    if (!index) {
        // Searched again when the index is ready.
        label_->setText(tr("Reading the outline..."));
        return;
    }
    const FindIndex::Leaves leaves = host_.leaves();
    index->refresh(leaves, &entries_);
    order_.reserve(leaves.size());
    for (const OutlineNode *leaf : leaves) {
        order_.push_back(FindIndex::keyOf(leaf));
    }
    const int selected = selectedPosition();
    startAt_ = selected < 0 ? 0 : size_t(selected);
    scanned_ = 0;
    goFirst_ = goFirst;
    label_->setText(tr("Searching..."));
    scanStep();
    if (isSearching()) {
        timer_->start();
    }
}

void FindBar::scanStep()
{
    if (!host_.index()) {
        timer_->stop();
        return;
    }
    const size_t n = order_.size();
    const size_t end = std::min(n, scanned_ + LeavesPerStep);
    for (; scanned_ < end; ++scanned_) {
        const size_t at = (startAt_ + scanned_) % n;
        if (FindIndex::entryMatches(entries_[at], folded_)) {
            positions_.push_back(int(at));
            if (goFirst_) {
                goFirst_ = false;
                shown_ = int(at);
                host_.goTo(order_[at], query_);
            }
        }
    }
    if (!isSearching()) {
        finishScan();
    }
}

void FindBar::finishScan()
{
    timer_->stop();
    std::sort(positions_.begin(), positions_.end());
    showCount();
}

void FindBar::showCount()
{
    if (positions_.empty()) {
        label_->setText(tr("No leaf matches"));
        return;
    }
    const auto it = std::lower_bound(positions_.begin(), positions_.end(), shown_);
    const int total = int(positions_.size());
    if (shown_ < 0 || it == positions_.end() || *it != shown_) {
        label_->setText(total == 1 ? tr("1 leaf") : tr("%1 leaves").arg(total));
        return;
    }
    const int n = int(it - positions_.begin()) + 1;
    label_->setText(total == 1 ? tr("1 of 1 leaf") : tr("%1 of %2 leaves").arg(n).arg(total));
}

bool FindBar::isUpToDate()
{
    host_.storeEdits();
    FindIndex *index = host_.index();
    if (!index) {
        return false;
    }
    const FindIndex::Leaves leaves = host_.leaves();
    if (index->refresh(leaves) > 0 || leaves.size() != order_.size()) {
        return false;
    }
    for (size_t i = 0; i < leaves.size(); ++i) {
        if (FindIndex::keyOf(leaves[i]) != order_[i]) {
            return false;
        }
    }
    return true;
}

void FindBar::step(bool forward)
{
    const int shown = shown_;
    if (query_ != field_->text() || !isUpToDate()) {
        start(false);
        shown_ = shown;
    }
    if (isSearching()) {
        // Enter right after typing: the rest of the scan is done now.
        while (isSearching() && host_.index()) {
            scanStep();
        }
    }
    if (!host_.index() || query_.isEmpty()) {
        return;
    }
    const int from = selectedPosition();
    const int i = nextMatch(positions_, from, forward);
    if (i < 0) {
        showCount();
        return;
    }
    shown_ = positions_[size_t(i)];
    host_.goTo(order_[size_t(shown_)], query_);
    showCount();
}

void FindBar::indexReady()
{
    if (isVisible() && !field_->text().isEmpty()) {
        start(shown_ < 0);
    }
}
