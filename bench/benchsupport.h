// What the benchmarks that drive the window share: an asker without dialogs and the process's memory.
#pragma once

#include "app/asker.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace bench {

// Answers every question without a dialog; a warning would mean the benchmark's own file is damaged.
class SilentAsker : public FileAsker
{
public:
    QString askFileName(QWidget *, const FileDialogSpec &) override { return QString(); }
    bool confirmOverwrite(QWidget *, const QString &) override { return true; }
    void warn(QWidget *, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "warning: %s\n", qPrintable(text));
    }
};

// A figure in KiB of /proc/self/status ("VmRSS:", "VmHWM:"), or -1.
inline qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

inline qint64 residentKiB()
{
    return statusKiB("VmRSS:");
}

} // namespace bench
