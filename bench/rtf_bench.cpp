// Measures RTF read and write beside Qt's own HTML import and export of the same documents, how reading
// grows with the document (through quillax-tool, beside unrtf, and into the window), and long lists.
#include "benchsupport.h"
#include "childcost.h"
#include "app/Main.h"
#include "tests/support.h"
#include "app/asker.h"
#include "app/leafeditor.h"
#include "text/richtext.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QAbstractTextDocumentLayout>
#include <QTextList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>


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


constexpr int WindowLimitSeconds = 120;
// QTextEdit lays its text out on one page of this height (QFIXED_MAX); text below it goes onto further pages.
constexpr int QtLayoutPageHeight = 8388607;

// Runs the command from a fresh, small copy of this program (--measure), which reports its cost.
ChildCost runChild(const QStringList &command, const QString &outputPath = QString())
{
    const QString report = QDir::tempPath() + QStringLiteral("/rtf_bench-measure-%1.txt").arg(getpid());
    QStringList trampoline{QCoreApplication::applicationFilePath(), QStringLiteral("--measure"), report,
                           outputPath.isEmpty() ? QStringLiteral("-") : outputPath};
    trampoline += command;
    ChildCost cost;
    if (!spawnChild(trampoline).ran) {
        QFile::remove(report);
        return cost;
    }
    QFile file(report);
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> figures = file.readLine().trimmed().split(' ');
        if (figures.size() >= 3) {
            cost.ran = figures[0] == "ok";
            cost.seconds = figures[1].toDouble();
            cost.peakKiB = figures[2].toLongLong();
        }
        cost.output = file.readLine().trimmed();
    }
    file.remove();
    return cost;
}

// Child mode: runs the command and writes "ok|failed SECONDS PEAK_KIB" and its first output line to the report.
int measureChild(const QStringList &args)
{
    const QString report = args[1];
    const QString output = args[2] == QLatin1String("-") ? QString() : args[2];
    const ChildCost cost = spawnChild(args.mid(3), output);
    QFile file(report);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(QByteArray(cost.ran ? "ok " : "failed ") + QByteArray::number(cost.seconds, 'f', 6) + ' ' +
               QByteArray::number(cost.peakKiB) + '\n' + cost.output + '\n');
    return 0;
}

// Best of a few runs of a child: the least disturbed time, and the highest memory.
ChildCost bestChild(int repeats, const QStringList &command, const QString &outputPath = QString())
{
    ChildCost best;
    for (int i = 0; i < repeats; ++i) {
        const ChildCost c = runChild(command, outputPath);
        if (!c.ran) {
            return c;
        }
        if (!best.ran || c.seconds < best.seconds) {
            const qint64 peak = std::max(best.peakKiB, c.peakKiB);
            best = c;
            best.peakKiB = peak;
        } else {
            best.peakKiB = std::max(best.peakKiB, c.peakKiB);
        }
    }
    return best;
}

// Child mode: opens the document in the window as File > Open does and prints the seconds it took, the
// memory before opening and the peak while opening, in KiB, and the height of the laid-out text in pixels.
int openInWindow(int argc, char **argv, const QString &path)
{
    // A window that takes longer than this is reported as such rather than waited for.
    alarm(WindowLimitSeconds);
    QApplication app(argc, argv);
    auto form = std::make_unique<TForm1>();
    const FormParts ui(*form);
    form->setAsker(std::make_unique<bench::SilentAsker>());
    form->FormCreate({});
    form->show();
    QCoreApplication::processEvents();
    form->ClearTree();
    QCoreApplication::processEvents();
    const qint64 before = bench::statusKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    form->OpenDocument(path);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 peak = bench::statusKiB("VmHWM:");
    const double height = ui.RichEdit1->document()->documentLayout()->documentSize().height();
    std::printf("%.6f %lld %lld %.0f\n", seconds, static_cast<long long>(before), static_cast<long long>(peak), height);
    std::fflush(stdout);
    // The process ends here; tearing the window down would only add to the time the parent waits.
    std::_Exit(0);
}

struct GrowthRow
{
    double windowHeight = 0;
    QString name;
    qint64 bytes = 0;
    ChildCost tool;
    ChildCost unrtf;
    ChildCost window;
    double windowSeconds = 0;
    qint64 windowBaseKiB = 0;
    qint64 windowPeakKiB = 0;
};

// Reads documents of growing size with quillax-tool and unrtf as separate processes, so each has a
// fresh heap and its peak memory is its own, then opens each in the window.
void measureGrowth(const QString &dir, const std::vector<std::pair<const char *, qint64>> &sizes)
{
    const QString tool = QStringLiteral(QUILLAX_TOOL_PATH);
    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("\nReading as the document grows: quillax-tool convert --to text, unrtf --text and opening in the "
                "window, each a child process (best of 2, unrtf once)\n");
    if (unrtf.isEmpty()) {
        std::printf("  unrtf is not on PATH: its columns are left empty\n");
    }
    std::fflush(stdout);
    std::vector<GrowthRow> rows;
    for (const auto &[name, target] : sizes) {
        GrowthRow row;
        row.name = QString::fromLatin1(name);
        const QString path = dir + QStringLiteral("/growth-%1.rtf").arg(row.name).remove(QLatin1Char(' '));
        {
            QTextDocument source;
            source.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
            buildDocument(source, target);
            const QByteArray rtf = rtf::write(source);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size()) {
                std::printf("  cannot write %s\n", qPrintable(path));
                return;
            }
            row.bytes = rtf.size();
        }
        row.tool = bestChild(2, {tool, QStringLiteral("convert"), path, QStringLiteral("--to"), QStringLiteral("text")});
        if (!unrtf.isEmpty()) {
            // unrtf takes minutes on the large document: one run.
            row.unrtf = bestChild(1, {unrtf, QStringLiteral("--text"), path});
        }
        const QString report = dir + QStringLiteral("/window.txt");
        row.window = bestChild(2, {self, QStringLiteral("--open-in-window"), path}, report);
        const QList<QByteArray> figures = row.window.output.split(' ');
        if (row.window.ran && figures.size() >= 3) {
            row.windowSeconds = figures[0].toDouble();
            row.windowBaseKiB = figures[1].toLongLong();
            row.windowPeakKiB = figures[2].toLongLong();
            row.windowHeight = figures.size() >= 4 ? figures[3].toDouble() : 0;
        }
        rows.push_back(row);
        std::printf("  %s written: %.2f MB at %s\n", name, row.bytes / 1e6, qPrintable(path));
        std::fflush(stdout);
    }

    const auto perMb = [](double seconds, qint64 bytes) { return seconds / (bytes / 1e6); };
    std::printf("\n  %-8s %8s %8s %7s %9s %8s %9s %10s | %8s %7s %9s %11s %10s\n", "size", "MB", "seconds", "s/MB",
                "to first", "unrtf s", "to unrtf", "peak/file", "window s", "s/MB", "to first", "growth/file",
                "height px");
    const GrowthRow &first = rows.front();
    for (const GrowthRow &r : rows) {
        if (!r.tool.ran) {
            std::printf("  %-8s quillax-tool failed\n", qPrintable(r.name));
            continue;
        }
        const double mb = r.bytes / 1e6;
        const double spm = perMb(r.tool.seconds, r.bytes);
        std::printf("  %-8s %8.2f %8.2f %7.3f %9.2f ", qPrintable(r.name), mb, r.tool.seconds, spm,
                    spm / perMb(first.tool.seconds, first.bytes));
        if (r.unrtf.ran) {
            std::printf("%8.2f %9.2f ", r.unrtf.seconds, r.tool.seconds / r.unrtf.seconds);
        } else {
            std::printf("%8s %9s ", "-", "-");
        }
        std::printf("%10.2f | ", r.tool.peakKiB * 1024.0 / r.bytes);
        if (r.windowSeconds > 0) {
            const double wpm = perMb(r.windowSeconds, r.bytes);
            std::printf("%8.2f %7.3f %9.2f %11.2f %10.0f\n", r.windowSeconds, wpm,
                        wpm / perMb(first.windowSeconds, first.bytes),
                        (r.windowPeakKiB - r.windowBaseKiB) * 1024.0 / r.bytes, r.windowHeight);
        } else {
            std::printf("over %d s\n", WindowLimitSeconds);
        }
    }
    std::printf("  (seconds: the whole process, start-up included; to first: s/MB over the first row's; peak/file: "
                "the tool's peak resident memory over the file's size; window s: OpenDocument until the events "
                "settle; growth/file: the window's peak memory above its memory before opening, over the file's "
                "size; height: the laid-out text in the editor, whose layout pages text beyond %d px)\n",
                QtLayoutPageHeight);
    const GrowthRow &last = rows.back();
    if (rows.size() > 1 && last.tool.ran && first.tool.ran) {
        const double growth = perMb(last.tool.seconds, last.bytes) / perMb(first.tool.seconds, first.bytes);
        std::printf("  goals at %s: s/MB %.2f of the first row's (at most 1.2: %s)", qPrintable(last.name), growth,
                    growth <= 1.2 ? "met" : "missed");
        if (last.unrtf.ran) {
            const double toUnrtf = last.tool.seconds / last.unrtf.seconds;
            std::printf(", %.2f of unrtf's time (at most 0.5: %s)", toUnrtf, toUnrtf <= 0.5 ? "met" : "missed");
        }
        const double memory = last.tool.peakKiB * 1024.0 / last.bytes;
        std::printf(", peak memory %.2f times the file (at most 5: %s)\n", memory, memory <= 5 ? "met" : "missed");
        if (last.windowSeconds > 0 && first.windowSeconds > 0) {
            const double wgrowth = perMb(last.windowSeconds, last.bytes) / perMb(first.windowSeconds, first.bytes);
            const double wmemory = (last.windowPeakKiB - last.windowBaseKiB) * 1024.0 / last.bytes;
            std::printf("  in the window: s/MB %.2f of the first row's (at most 1.2: %s), memory growth %.2f times "
                        "the file (at most 5: %s)\n",
                        wgrowth, wgrowth <= 1.2 ? "met" : "missed", wmemory, wmemory <= 5 ? "met" : "missed");
        } else {
            std::printf("  in the window: the %s document did not open within %d s (goals missed)\n",
                        qPrintable(last.name), WindowLimitSeconds);
        }
    }
    std::fflush(stdout);
}

// RTF of one bulleted (\ls1) and one numbered (\ls2) list of `items` paragraphs each, their items
// taking turns and each followed by an ordinary paragraph, as word processors write a list that runs
// on across other paragraphs.
QByteArray longListRtf(int items)
{
    QByteArray rtf;
    rtf.reserve(qsizetype(items) * 260);
    rtf.append("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
               "{\\*\\listtable"
               "{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\levelstartat1{\\leveltext\\'01\\u8226 ?;}"
               "{\\levelnumbers;}\\fi-360\\li720}\\listid100}"
               "{\\list\\listtemplateid2{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
               "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid200}}\r\n"
               "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
               "{\\listoverride\\listid200\\listoverridecount0\\ls2}}\r\n");
    for (int i = 1; i <= items; ++i) {
        rtf.append("\\pard\\plain{\\listtext\\f1\\'b7\\tab}\\ls1\\ilvl0\\fi-360\\li720\\f0\\fs20 Bulleted item ");
        rtf.append(QByteArray::number(i));
        rtf.append(" of the long list, {\\b with a bold word}.\\par\r\n");
        rtf.append("\\pard\\plain\\f0\\fs20 A paragraph between the items.\\par\r\n");
        rtf.append("\\pard\\plain{\\listtext\\f0 ");
        rtf.append(QByteArray::number(i));
        rtf.append(".\\tab}\\ls2\\ilvl0\\fi-360\\li720\\f0\\fs20 Numbered item ");
        rtf.append(QByteArray::number(i));
        rtf.append(", {\\i in italics}.\\par\r\n");
        rtf.append("\\pard\\plain\\f0\\fs20 Another paragraph between the items.\\par\r\n");
    }
    rtf.append("}\r\n");
    return rtf;
}

// Reads long lists of two lengths: linear reading takes as long per item at both.
void measureLongLists()
{
    std::printf("\nLong lists: one bulleted and one numbered list of N items each, every item followed by an "
                "ordinary paragraph (rtf::read into a QTextDocument, best of 2)\n");
    std::printf("  %8s %8s %10s %12s %10s  %s\n", "items", "MB", "read ms", "us per item", "to first", "check");
    double firstPerItem = 0;
    for (const int items : {4000, 16000, 32000}) {
        const QByteArray rtf = longListRtf(items);
        QTextDocument document;
        const double seconds = bestSeconds(2, [&] { rtf::read(rtf, document); });
        // The last numbered item must read "N." and belong to the same list as the first; the last
        // bulleted item must still be a bullet.
        QString check = QStringLiteral("ok");
        const QTextBlock lastNumbered = document.lastBlock().previous();
        const QTextBlock firstNumbered = document.begin().next().next();
        const QTextBlock lastBulleted = lastNumbered.previous().previous();
        if (!lastNumbered.textList() || lastNumbered.textList()->itemText(lastNumbered) !=
                                            QStringLiteral("%1.").arg(items)) {
            check = QStringLiteral("WRONG NUMBER");
        } else if (firstNumbered.textList() != lastNumbered.textList()) {
            check = QStringLiteral("NUMBERED LIST SPLIT");
        } else if (!lastBulleted.textList() ||
                   lastBulleted.textList()->format().style() != QTextListFormat::ListDisc) {
            check = QStringLiteral("NO BULLET");
        }
        const double perItem = seconds * 1e6 / (2.0 * items);
        if (firstPerItem == 0) {
            firstPerItem = perItem;
        }
        std::printf("  %8d %8.2f %10.1f %12.2f %10.2f  %s\n", items, rtf.size() / 1e6, seconds * 1e3, perItem,
                    perItem / firstPerItem, qPrintable(check));
        std::fflush(stdout);
    }
    std::printf("  (to first: time per item over the first row's; linear reading keeps it near 1)\n");
}

// RTF of plain paragraphs, one format throughout, as a long document pasted from a text file saves.
QByteArray plainParagraphsRtf(int paragraphs)
{
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n");
    rtf.reserve(qsizetype(paragraphs) * 80);
    for (int i = 0; i < paragraphs; ++i) {
        rtf.append("\\pard\\plain\\f0\\fs20 Paragraph ");
        rtf.append(QByteArray::number(i));
        rtf.append(" of a long document of plain text.\\par\r\n");
    }
    rtf.append("}\r\n");
    return rtf;
}

// Reading plain paragraphs takes as long per paragraph in a long document as in a short one.
void measurePlainParagraphs()
{
    std::printf("\nPlain paragraphs: rtf::read of N unformatted paragraphs (best of 2)\n");
    std::printf("  %10s %8s %10s %14s %10s\n", "paragraphs", "MB", "read ms", "us/paragraph", "to first");
    double first = 0;
    for (const int paragraphs : {50'000, 500'000}) {
        QTextDocument document;
        const double seconds = [&] {
            const QByteArray rtf = plainParagraphsRtf(paragraphs);
            std::printf("  %10d %8.2f ", paragraphs, rtf.size() / 1e6);
            return bestSeconds(2, [&] { rtf::read(rtf, document); });
        }();
        const double perParagraph = seconds * 1e6 / paragraphs;
        first = first == 0 ? perParagraph : first;
        std::printf("%10.1f %14.3f %10.2f %s\n", seconds * 1e3, perParagraph, perParagraph / first,
                    perParagraph / first <= 1.3 ? "" : "(goal: at most 1.3)");
        std::fflush(stdout);
    }
}

// Writing numbered lists: saving takes as long per item in a long list as in a short one.
void measureNumberedListWrite()
{
    std::printf("\nSaving a numbered list of N items (rtf::write, best of 2)\n");
    std::printf("  %8s %10s %12s %10s\n", "items", "write ms", "us per item", "to first");
    double first = 0;
    for (const int items : {5'000, 50'000}) {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.beginEditBlock();
        QTextList *list = cursor.createList(QTextListFormat::ListDecimal);
        for (int i = 0; i < items; ++i) {
            if (i > 0) {
                cursor.insertBlock();
                list->add(cursor.block());
            }
            cursor.insertText(QStringLiteral("Numbered item %1").arg(i + 1));
        }
        cursor.endEditBlock();
        QByteArray rtf;
        const double seconds = bestSeconds(2, [&] { rtf = rtf::write(document); });
        const double perItem = seconds * 1e6 / items;
        first = first == 0 ? perItem : first;
        const bool lastRight = rtf.contains(QByteArray("{\\pntext\\f0 ") + QByteArray::number(items) + ".\\tab}");
        std::printf("  %8d %10.1f %12.3f %10.2f  %s\n", items, seconds * 1e3, perItem, perItem / first,
                    lastRight ? "last number ok" : "LAST NUMBER WRONG");
        std::fflush(stdout);
    }
}

// Reading a text file into a document as the editor does, beside Qt's setPlainText of the decoded text
// (in process, best of 2), and quillax-tool convert of the file as a child process for its memory.
void measurePlainTextFiles(const QString &dir)
{
    const QString tool = QStringLiteral(QUILLAX_TOOL_PATH);
    std::printf("\nPlain text files of N lines: richtext::loadBytes beside QTextDocument::setPlainText, and "
                "quillax-tool convert --to text (peak memory over the file's size)\n");
    std::printf("  %8s %8s %10s %14s %8s %10s %10s\n", "lines", "MB", "load ms", "setPlainText", "ratio",
                "tool s", "peak/file");
    for (const int lines : {70'000, 700'000}) {
        QByteArray bytes;
        bytes.reserve(qsizetype(lines) * 17);
        for (int i = 0; i < lines; ++i) {
            bytes.append("Line ");
            bytes.append(QByteArray::number(i));
            bytes.append(" caf\xc3\xa9\n");
        }
        const QString path = dir + QStringLiteral("/lines-%1.txt").arg(lines);
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
                std::printf("  cannot write %s\n", qPrintable(path));
                return;
            }
        }
        QTextDocument loaded;
        const double load = bestSeconds(2, [&] { richtext::loadBytes(loaded, bytes); });
        QString text = QString::fromUtf8(bytes);
        text.chop(1);
        QTextDocument plain;
        const double setPlain = bestSeconds(2, [&] { plain.setPlainText(text); });
        const ChildCost cost = bestChild(2, {tool, QStringLiteral("convert"), path, QStringLiteral("--to"),
                                             QStringLiteral("text")});
        std::printf("  %8d %8.2f %10.1f %14.1f %8.2f %10.2f %10.2f\n", lines, bytes.size() / 1e6, load * 1e3,
                    setPlain * 1e3, load / setPlain, cost.seconds, cost.peakKiB * 1024.0 / bytes.size());
        std::fflush(stdout);
        QFile::remove(path);
    }
    std::printf("  (goals: load at most 2 times setPlainText, peak at most 5 times the file)\n");
}

} // namespace

int main(int argc, char **argv)
{
    // Font metrics need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) {
            list << QString::fromLocal8Bit(argv[i]);
        }
        return list;
    }();
    if (args.size() >= 4 && args[0] == QLatin1String("--measure")) {
        return measureChild(args);
    }
    if (args.size() == 2 && args[0] == QLatin1String("--open-in-window")) {
        return openInWindow(argc, argv, args[1]);
    }
    // --keep DIR keeps the generated documents in DIR; --large MB sets the size of the large document;
    // --growth-only, --lists-only and --scaling-only run one part.
    QString keep;
    qint64 largeMb = 50;
    bool growthOnly = false;
    bool listsOnly = false;
    bool scalingOnly = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep") && i + 1 < args.size()) {
            keep = args[++i];
        } else if (args[i] == QLatin1String("--large") && i + 1 < args.size()) {
            largeMb = std::max<qint64>(6, args[++i].toLongLong());
        } else if (args[i] == QLatin1String("--growth-only")) {
            growthOnly = true;
        } else if (args[i] == QLatin1String("--lists-only")) {
            listsOnly = true;
        } else if (args[i] == QLatin1String("--scaling-only")) {
            scalingOnly = true;
        }
    }
    QGuiApplication app(argc, argv);
    if (listsOnly) {
        measureLongLists();
        measureNumberedListWrite();
        return 0;
    }
    if (scalingOnly) {
        QTemporaryDir scratch;
        measurePlainParagraphs();
        measureNumberedListWrite();
        measurePlainTextFiles(scratch.path());
        return 0;
    }
    if (!growthOnly) {
        measure("1 MB", 1'000'000, 5);
        measure("10 MB", 10'000'000, 2);
        measureLongLists();
        measureNumberedListWrite();
        measurePlainParagraphs();
    }
    QTemporaryDir temporary;
    const QString dir = keep.isEmpty() ? temporary.path() : keep;
    QDir().mkpath(dir);
    const QByteArray largeName = QByteArray::number(largeMb) + " MB";
    measureGrowth(dir, {{"5 MB", 5'000'000}, {largeName.constData(), largeMb * 1'000'000}});
    measurePlainTextFiles(dir);
    return 0;
}
