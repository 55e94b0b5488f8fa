// A progress dialog for long imports, exports and prints, with a Cancel button the core's work listens to.
#pragma once

#include "document/formats/leafsink.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// Shows itself only when the work lasts (half a second); its progress() hands the core a callback that moves
// the bar, keeps the window painted and returns false once the user has pressed Cancel.
class ProgressShown
{
public:
    // total is what the work counts to (bytes or leaves); 0 when unknown (the bar then only moves).
    ProgressShown(QWidget *parent, const QString &label, qint64 total);
    ~ProgressShown();
    ProgressShown(const ProgressShown &) = delete;
    ProgressShown &operator=(const ProgressShown &) = delete;

    formats::Progress progress();

private:
    std::unique_ptr<QProgressDialog> dialog_;
    qint64 total_;
};
