// What a child process costs: a command run with its output sent to a file, its wall-clock time and peak memory.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// What a child process cost: wall-clock seconds and its peak resident memory.
struct ChildCost
{
    bool ran = false;
    double seconds = 0;
    qint64 peakKiB = 0;
    QByteArray output; // the first line the child printed, when asked for
};

// Runs a program with its standard output sent to a file (or thrown away) and measures it. The peak
// memory Linux reports for a child includes what its parent held when it was started, so this is only
// called from a small process: see measureChild().
inline ChildCost spawnChild(const QStringList &command, const QString &outputPath = QString())
{
    ChildCost cost;
    std::vector<QByteArray> args;
    for (const QString &a : command) {
        args.push_back(QFile::encodeName(a));
    }
    std::vector<char *> argv;
    for (QByteArray &a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const QByteArray out = outputPath.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(outputPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return cost;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return cost;
    }
    cost.seconds = timer.nsecsElapsed() / 1e9;
    cost.peakKiB = usage.ru_maxrss;
    cost.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!outputPath.isEmpty()) {
        QFile file(outputPath);
        if (file.open(QIODevice::ReadOnly)) {
            cost.output = file.readLine().trimmed();
        }
    }
    return cost;
}

