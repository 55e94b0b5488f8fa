// Program entry: the application object, the main window and its two dialogs, then the event loop.
#include "app/Main.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

#ifndef QUILLAX_VERSION
#define QUILLAX_VERSION "0"
#endif

namespace {

const char *const Usage =
    "Usage: quillax [FILE]\n"
    "       quillax --help | --version\n"
    "\n"
    "Shows an outline: a tree of leaves, each with a caption, a category and formatted text.\n"
    "FILE, when given, is opened at start: a name ending in .tre is read as a tree file, any other\n"
    "file as a plain-text or RTF document. Further arguments are ignored. Use '--' before a FILE\n"
    "whose name starts with '--'.\n";

// Answers --help and --version before any window exists, so they work without a display. Returns the
// exit status, or -1 when the program should start; firstFile is then the argument index of FILE.
int handleOptions(int argc, char *argv[], int &firstFile)
{
    firstFile = 1;
    if (argc < 2) {
        return -1;
    }
    const char *arg = argv[1];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
        std::printf("quillax %s\n", QUILLAX_VERSION);
        return 0;
    }
    if (std::strcmp(arg, "--") == 0) {
        firstFile = 2;
        return -1;
    }
    if (std::strncmp(arg, "--", 2) == 0) {
        std::fprintf(stderr, "quillax: unknown option '%s'\nTry 'quillax --help'.\n", arg);
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    int firstFile = 1;
    if (const int status = handleOptions(argc, argv, firstFile); status >= 0) {
        return status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QApplication::setApplicationVersion(QStringLiteral(QUILLAX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillax"));

    TForm1 form;
    // The dialogs show the program's icon too.
    QApplication::setWindowIcon(form.windowIcon());
    // FormCreate shows its own failures and carries on; arguments after the first are ignored there.
    form.FormCreate(QCoreApplication::arguments().mid(firstFile));
    form.createSecondaryForms();
    form.show();
    QApplication::exec();
    return 0;
}
