// A progress dialog for long imports, exports and prints.
#include "app/progress.h"

#include <QProgressDialog>

namespace {

// The bar counts in thousandths, whatever the work counts in.
constexpr int Steps = 1000;

} // namespace

ProgressShown::ProgressShown(QWidget *parent, const QString &label, qint64 total)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("Cancel"), 0, Steps, parent)), total_(total)
{
    dialog_->setObjectName(QStringLiteral("ProgressDialog"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
}

ProgressShown::~ProgressShown() = default;

formats::Progress ProgressShown::progress()
{
    return [this](qint64 done, qint64 total) {
        const qint64 of = total > 0 ? total : total_;
        // An unknown end: the bar creeps towards its end without reaching it.
        const int step = of > 0 ? int(std::min<qint64>(Steps - 1, done * Steps / of))
                                : std::min(Steps - 1, dialog_->value() + 1);
        // A modal dialog's setValue also lets the window repaint and the Cancel button be pressed.
        dialog_->setValue(step);
        return !dialog_->wasCanceled();
    };
}
