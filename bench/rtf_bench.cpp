// Measures RTF read and write beside Qt's own HTML import and export of the same documents.
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const char *const Words[] = {"outline", "leaf",   "note",   "tree",    "branch", "text",    "caption",
                             "the",     "of",     "and",    "a",       "to",     "Grüße",   "café",
                             "naïve",   "Ærø",    "€100",   "“quote”", "Ωμέγα",  "Привет", "\u4e2d\u6587",
                             "日本語",  "😀",      "résumé", "{brace}", "back\\", "tab\there"};

const char *const Families[] = {"Arial", "Times New Roman", "Courier New", "DejaVu Sans", "Liberation Serif"};

// Appends paragraphs of formatted runs until the document's RTF would be about targetBytes.
void buildDocument(QTextDocument &doc, qint64 targetBytes)
{
    QRandomGenerator random(20261208);
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    qint64 written = 0;
    QTextList *list = nullptr;
    bool first = true;
    // RTF of these documents runs to about 2.7 bytes a character; the real size is printed.
    const qint64 targetChars = targetBytes * 10 / 27;
    while (written < targetChars) {
        QTextBlockFormat block;
        block.setAlignment(random.bounded(5) == 0 ? Qt::AlignHCenter : Qt::AlignLeft);
        if (first) {
            cursor.setBlockFormat(block);
            first = false;
        } else {
            cursor.insertBlock(block);
        }
        if (random.bounded(4) == 0) {
            if (list) {
                list->add(cursor.block());
            } else {
                list = cursor.createList(QTextListFormat::ListDisc);
            }
        } else {
            list = nullptr;
        }
        const int runs = random.bounded(3, 9);
        for (int r = 0; r < runs; ++r) {
            QTextCharFormat format;
            format.setFontFamilies({QString::fromLatin1(Families[random.bounded(5)])});
            format.setFontPointSize(8 + random.bounded(8) * 2);
            format.setFontWeight(random.bounded(3) == 0 ? QFont::Bold : QFont::Normal);
            format.setFontItalic(random.bounded(4) == 0);
            format.setFontUnderline(random.bounded(6) == 0);
            QString text;
            const int words = random.bounded(2, 12);
            for (int w = 0; w < words; ++w) {
                text += QString::fromUtf8(Words[random.bounded(int(sizeof(Words) / sizeof(Words[0])))]);
                text += QLatin1Char(' ');
            }
            cursor.insertText(text, format);
            written += text.size();
        }
    }
    cursor.endEditBlock();
}

// Best of a few runs, in seconds: the least disturbed by the other work on the machine.
double bestSeconds(int repeats, const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

double mbPerSecond(qint64 bytes, double seconds)
{
    return bytes / 1e6 / seconds;
}

void measure(const char *name, qint64 target, int repeats)
{
    QTextDocument source;
    source.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    buildDocument(source, target);

    QByteArray rtf;
    const double write = bestSeconds(repeats, [&] { rtf = rtf::write(source); });
    QString html;
    const double toHtml = bestSeconds(repeats, [&] { html = source.toHtml(); });
    const QString plain = source.toPlainText();

    QTextDocument target1;
    const double read = bestSeconds(repeats, [&] { rtf::read(rtf, target1); });
    QTextDocument target2;
    const double setHtml = bestSeconds(repeats, [&] { target2.setHtml(html); });
    QTextDocument target3;
    const double setPlain = bestSeconds(repeats, [&] { target3.setPlainText(plain); });

    const qint64 htmlBytes = html.toUtf8().size();
    const qint64 plainBytes = plain.toUtf8().size();
    std::printf("%s document: %d paragraphs, %lld characters; RTF %.2f MB, HTML %.2f MB, text %.2f MB\n", name,
                source.blockCount(), static_cast<long long>(source.characterCount()), rtf.size() / 1e6,
                htmlBytes / 1e6, plainBytes / 1e6);
    std::printf("  RTF write   %8.1f ms  %7.1f MB/s of RTF\n", write * 1e3, mbPerSecond(rtf.size(), write));
    std::printf("  toHtml      %8.1f ms  %7.1f MB/s of HTML\n", toHtml * 1e3, mbPerSecond(htmlBytes, toHtml));
    std::printf("  RTF read    %8.1f ms  %7.1f MB/s of RTF\n", read * 1e3, mbPerSecond(rtf.size(), read));
    std::printf("  setHtml     %8.1f ms  %7.1f MB/s of HTML\n", setHtml * 1e3, mbPerSecond(htmlBytes, setHtml));
    std::printf("  setPlainText%8.1f ms  %7.1f MB/s of text\n", setPlain * 1e3, mbPerSecond(plainBytes, setPlain));
    std::printf("  ratios (time, below 1 is faster): write/toHtml %.2f %s, read/setHtml %.2f %s, "
                "read/setPlainText %.2f\n",
                write / toHtml, write <= toHtml ? "(goal met)" : "(goal missed)", read / setHtml,
                read <= setHtml ? "(goal met)" : "(goal missed)", read / setPlain);
    const bool sameText = target1.toPlainText() == plain;
    std::printf("  read back the same text: %s\n", sameText ? "yes" : "NO");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    // Font metrics need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    measure("1 MB", 1'000'000, 5);
    measure("10 MB", 10'000'000, 2);
    return 0;
}
