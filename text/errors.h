// Failures of the core, carrying the text the user reads.
#pragma once

#include <QString>
#include <exception>
#include <string>

// A failure whose message is shown to the user as it stands.
class AppError : public std::exception
{
public:
    explicit AppError(QString message);
    const QString &message() const { return message_; }
    const char *what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// A file that cannot be opened, created, read or written.
class FileError : public AppError
{
public:
    using AppError::AppError;
};

// Bytes that do not follow a format; offset is where reading stopped.
class FormatError : public AppError
{
public:
    FormatError(QString message, qint64 offset);
    qint64 offset() const { return offset_; }

private:
    qint64 offset_;
};
