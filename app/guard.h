// The error guard: every window handler runs inside guarded(...), so no exception reaches Qt's event loop.
#pragma once

#include "text/errors.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

// A program file's name without its folder, cut at its first full stop: "/x/a.b.exe" gives "a".
QString programTitle(const QString &programPath);

// The error box's title: programTitle() of this program's file (its name when the path is unknown).
QString applicationTitle();

// The message as the error box shows it: a full stop is added when the last character's code is
// above that of the full stop ("abc" becomes "abc.", "abc!" and "abc." stay as they are).
QString errorBoxText(const QString &message);

// Shows an error. The default shows a message box with the error icon and one OK button; tests
// install their own so that nothing waits on a modal box. An empty function restores the default.
using ErrorReporter = std::function<void(const QString &title, const QString &text)>;
void setErrorReporter(ErrorReporter reporter);

// Shows message through the current reporter, titled applicationTitle(). Never throws.
void reportError(const QString &message) noexcept;

// Runs f; any exception it throws is shown to the user and goes no further.
template<class F>
void guarded(F &&f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (const AppError &e) {
        reportError(e.message());
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown error"));
    }
}
