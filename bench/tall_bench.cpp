// Opens tall and big documents in the window and prints the time to the first painted lines, the longest wait
// an input event had while the text was scrolled to its end and typed into, the switches away from and back to
// the leaf, and peak memory; beside the reader alone on the same file (quillax-tool convert) and a 1 MB document.
#include "benchsupport.h"
#include "childcost.h"

#include "app/Main.h"
#include "app/leafeditor.h"
#include "app/outlinetree.h"
#include "tests/support.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

// A window that takes longer than this is reported as such rather than waited for.
constexpr int WindowLimitSeconds = 240;

double since(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

// Notes when the editor's viewport paints and when each posted key arrives.
class Spy : public QObject
{
public:
    bool painted = false;
    QElapsedTimer posted;
    double longestWait = 0;
    int keysSeen = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted = true;
        } else if (event->type() == QEvent::KeyPress && posted.isValid()) {
            posted.invalidate();
            ++keysSeen;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Processes events until done() or the limit; false at the limit.
template<class Done>
bool settle(Done done, double limitSeconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (since(timer) > limitSeconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Posts a key to the editor and waits until it has been handled and the events after it have run: the
// longest such wait is what a user feels as the window not answering.
void press(QWidget *editor, Spy &spy, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString &text = QString())
{
    spy.posted.start();
    QCoreApplication::postEvent(editor, new QKeyEvent(QEvent::KeyPress, key, modifiers, text));
    QCoreApplication::postEvent(editor, new QKeyEvent(QEvent::KeyRelease, key, modifiers, text));
    QElapsedTimer handled;
    handled.start();
    settle([&] { return !spy.posted.isValid(); }, WindowLimitSeconds);
    QCoreApplication::processEvents();
    spy.longestWait = std::max(spy.longestWait, since(handled));
}

// Child mode: opens the document as File > Open does. Prints seconds to the first paint, the longest wait of
// a key, seconds to switch away (Add Leaf) and back (selecting the leaf), memory before and peak (KiB), and
// "ok" when a letter typed at the end of the text is there.
int openInWindow(int argc, char **argv, const QString &path)
{
    alarm(WindowLimitSeconds);
    QApplication app(argc, argv);
    auto form = std::make_unique<TForm1>();
    const FormParts ui(*form);
    form->setAsker(std::make_unique<bench::SilentAsker>());
    form->FormCreate({});
    form->resize(1000, 700);
    form->show();
    QCoreApplication::processEvents();
    const qint64 before = bench::statusKiB("VmRSS:");
    Spy spy;
    LeafEditor *editor = ui.RichEdit1;
    editor->viewport()->installEventFilter(&spy);
    editor->installEventFilter(&spy);
    QElapsedTimer timer;
    timer.start();
    form->OpenDocument(path);
    spy.painted = false;
    editor->viewport()->update();
    settle([&] { return spy.painted; }, WindowLimitSeconds);
    const double firstPaint = since(timer);
    OutlineNode *leaf = ui.TreeView1->currentItem();
    timer.restart();
    form->AddBtnClick();
    QCoreApplication::processEvents();
    const double away = since(timer);
    timer.restart();
    ui.TreeView1->setCurrentItem(leaf);
    spy.painted = false;
    settle([&] { return spy.painted; }, WindowLimitSeconds);
    const double back = since(timer);
    editor->setFocus();
    press(editor, spy, Qt::Key_End, Qt::ControlModifier);
    press(editor, spy, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    for (int i = 0; i < 3; ++i) {
        press(editor, spy, Qt::Key_PageUp);
    }
    press(editor, spy, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i) {
        press(editor, spy, Qt::Key_Down);
    }
    const QTextDocument *document = ui.RichEdit1->document();
    const bool typed = document->lastBlock().text().endsWith(QLatin1Char('x'));
    const qint64 peak = bench::statusKiB("VmHWM:");
    std::printf("%.4f %.4f %.4f %.4f %lld %lld %s\n", firstPaint, spy.longestWait, away, back,
                static_cast<long long>(before), static_cast<long long>(peak), typed ? "ok" : "lost");
    std::fflush(stdout);
    std::_Exit(0);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

QByteArray plainParagraphsRtf(int paragraphs, const char *paragraphKeywords)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24\n";
    rtf.reserve(qsizetype(paragraphs) * 48);
    for (int i = 0; i < paragraphs; ++i) {
        rtf += "\\pard";
        rtf += paragraphKeywords;
        rtf += " Paragraph " + QByteArray::number(i) + " of a tall text.\\par\n";
    }
    return rtf + "}";
}

QByteArray logLines(int lines)
{
    QByteArray text;
    text.reserve(qsizetype(lines) * 17);
    for (int i = 0; i < lines; ++i) {
        text += "12:00:00 ok " + QByteArray::number(i % 10000) + '\n';
    }
    return text;
}

// Runs of bold, italic and colour in every line, a table every 20 paragraphs and one bulleted list through it.
QByteArray denseRtf(qsizetype target)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
                     "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\n";
    rtf.reserve(target + 4096);
    for (int i = 0; rtf.size() < target; ++i) {
        if (i % 20 == 19) {
            rtf += "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Cell " + QByteArray::number(i) +
                   "\\cell \\b total\\b0\\cell\\row\n";
        }
        rtf += i % 3 == 0 ? "\\pard\\plain{\\*\\pn\\pnlvlblt{\\pntxtb \\'95}}\\fi-360\\li720 " : "\\pard\\plain ";
        rtf += "\\f0\\fs20 Line " + QByteArray::number(i) + " {\\b bold words} and {\\i italic ones}, "
               "{\\cf1 red} {\\cf2\\f1 blue serif} then plain text to the end.\\par\n";
    }
    return rtf + "}";
}

struct Document
{
    const char *name;
    QByteArray bytes;
    const char *suffix;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 3 && qstrcmp(argv[1], "--open-in-window") == 0) {
        return openInWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    bool quick = argc == 2 && qstrcmp(argv[1], "--quick") == 0;
    QGuiApplication app(argc, argv);
    std::vector<Document> documents;
    documents.push_back({"1 MB RTF (yardstick)", denseRtf(1'000'000), "rtf"});
    documents.push_back({"57,000 paragraphs \\sb2000", plainParagraphsRtf(57'000, "\\sb2000"), "rtf"});
    documents.push_back({"700,000-line log", logLines(700'000), "txt"});
    documents.push_back({"20 MB formatted RTF", denseRtf(20'000'000), "rtf"});
    if (!quick) {
        documents.push_back({"530,000 paragraphs (45 MB)", plainParagraphsRtf(530'000, "\\ql\\fi0\\li0\\ri0\\sa120\\sl240"), "rtf"});
        documents.push_back({"100 MB RTF", plainParagraphsRtf(1'180'000, "\\ql\\fi0\\li0\\ri0\\sa120\\sl240"), "rtf"});
    }
    QTemporaryDir dir;
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("Each document is opened by File > Open in a window of its own (a child process), beside\n"
                "quillax-tool convert --to text of the same file (the reader alone).\n\n");
    std::printf("%-28s %8s %9s %9s %7s %7s %8s %8s %8s %9s %6s\n", "document", "MB", "reader s", "paint s",
                "limit", "ratio", "wait s", "away s", "back s", "peak MiB", "typed");
    for (size_t i = 0; i < documents.size(); ++i) {
        Document &d = documents[i];
        const QString path = dir.path() + QStringLiteral("/doc%1.%2").arg(i).arg(QLatin1String(d.suffix));
        writeFile(path, d.bytes);
        const double mb = d.bytes.size() / 1e6;
        d.bytes = QByteArray();
        const ChildCost reader =
            spawnChild({QStringLiteral(QUILLAX_TOOL_PATH), QStringLiteral("convert"), path, QStringLiteral("--to"),
                          QStringLiteral("text")});
        const QString report = dir.path() + QStringLiteral("/window.txt");
        const ChildCost window = spawnChild({self, QStringLiteral("--open-in-window"), path}, report);
        const QList<QByteArray> f = window.output.split(' ');
        if (!window.ran || f.size() < 7) {
            std::printf("%-28s %8.1f %9.2f   no window within %d s\n", d.name, mb, reader.seconds,
                        WindowLimitSeconds);
            continue;
        }
        const double paint = f[0].toDouble();
        const double limit = std::max(3.0, 1.5 * reader.seconds);
        std::printf("%-28s %8.1f %9.2f %9.2f %7.2f %7.2f %8.3f %8.3f %8.2f %9.0f %6s\n", d.name, mb, reader.seconds,
                    paint, limit, paint / reader.seconds, f[1].toDouble(), f[2].toDouble(), f[3].toDouble(),
                    f[5].toLongLong() / 1024.0, f[6].constData());
        std::fflush(stdout);
    }
    std::printf("\nreader s: quillax-tool convert, whole process; paint s: File > Open until the editor first paints;\n"
                "limit: the longer of 3 s and 1.5x the reader; ratio: paint over reader; wait s: the longest a key\n"
                "waited (Ctrl+End, typing, Page Up, Ctrl+Home, Down); away s: Add Leaf; back s: selecting the\n"
                "document's leaf until painted; typed: the letter typed at the end is in the text.\n");
    return 0;
}
