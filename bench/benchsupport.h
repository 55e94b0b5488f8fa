// What the benchmarks that drive the window share: an asker without dialogs, the process's memory and
// formatted sample texts.
#pragma once

#include "app/asker.h"
#include "text/rtf/rtfwriter.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

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

// The words of the sample texts and captions.
inline const char *const SampleWords[16] = {"outline", "leaf", "caption", "category", "memo", "garden", "river",
                                            "planning", "draft", "notes", "meeting", "budget", "summer", "winter",
                                            "reading", "travel"};

// A formatted document of about target bytes of RTF, written by the program's own writer: words in two
// faces and sizes, some bold or italic; with accents, one word in 50 ends in "é".
inline QByteArray formattedRtf(QRandomGenerator &rng, qsizetype target, bool accents)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    for (int paragraphs = 0;; ++paragraphs) {
        if (paragraphs > 0) {
            cursor.insertBlock();
        }
        const int words = int(rng.bounded(8, 40));
        for (int w = 0; w < words; ++w) {
            QTextCharFormat format;
            format.setFontFamilies({rng.bounded(3) == 0 ? QStringLiteral("Courier New") : QStringLiteral("Arial")});
            format.setFontPointSize(rng.bounded(3) == 0 ? 14 : 12);
            format.setFontWeight(rng.bounded(5) == 0 ? QFont::Bold : QFont::Normal);
            format.setFontItalic(rng.bounded(7) == 0);
            QString word = QString::fromLatin1(SampleWords[rng.bounded(16)]);
            if (accents && rng.bounded(50) == 0) {
                word += QStringLiteral("é");
            }
            cursor.insertText(word + QLatin1Char(' '), format);
        }
        QByteArray rtf = rtf::write(document);
        if (rtf.size() >= target) {
            return rtf;
        }
    }
}

} // namespace bench
