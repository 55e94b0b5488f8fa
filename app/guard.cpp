// The error guard's message box, its title and the full-stop rule of its text.
#include "app/guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

ErrorReporter &currentReporter()
{
    static ErrorReporter reporter;
    return reporter;
}

void showErrorBox(const QString &title, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qWarning("%s: %s", qPrintable(title), qPrintable(text));
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

QString programTitle(const QString &programPath)
{
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    return name;
}

QString applicationTitle()
{
    const QString path = QCoreApplication::applicationFilePath();
    return programTitle(path.isEmpty() ? QCoreApplication::applicationName() : path);
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

void setErrorReporter(ErrorReporter reporter)
{
    currentReporter() = std::move(reporter);
}

void reportError(const QString &message) noexcept
{
    try {
        const QString title = applicationTitle();
        const QString text = errorBoxText(message);
        if (currentReporter()) {
            currentReporter()(title, text);
        } else {
            showErrorBox(title, text);
        }
    } catch (...) {
        // Showing the error failed as well (out of memory, most likely): there is nothing left to tell.
    }
}
