// quillax-tool: converts documents and inspects tree files from the command line.
#include "document/findtool.h"
#include "document/treetool.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/fileaccess.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <new>
#include <utility>

#ifndef QUILLAX_VERSION
#define QUILLAX_VERSION "0"
#endif

namespace {

const char *const Usage =
    "Usage: quillax-tool COMMAND FILE [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  convert FILE --to text|html|rtf      Read FILE as the editor does (RTF, or plain text when\n"
    "                                       it is not RTF) and write it to standard output.\n"
    "  outline FILE                         Print the outline of a tree file: one line per leaf,\n"
    "                                       two spaces per level, caption and [category].\n"
    "  export FILE --to html|markdown|text|opml|pdf [--leaf \"Top > Child\"]\n"
    "                                       Write a whole tree file, or one leaf with its subtree\n"
    "                                       (by its caption path, as find prints it), as one document.\n"
    "  check FILE                           Report whether a tree file is complete and well formed.\n"
    "  find FILE TEXT                       Print the caption path (\"Top > Child > Leaf\") of every leaf\n"
    "                                       whose caption or text holds TEXT, in any letter case.\n"
    "  make-tree SOURCE OUTPUT              Build a tree file from an outline source file.\n"
    "  import SOURCE OUTPUT                 Build a tree file from an OPML, CherryTree (.ctd), TreeLine\n"
    "                                       (.trln) or Markdown file, its kind told by its content.\n"
    "  --help                               Show this text.\n"
    "  --version                            Show the version.\n"
    "\n"
    "Exit status: 0 success, 1 a file cannot be opened or written, 2 bad usage, 3 a short or damaged\n"
    "tree file, 4 find matched no leaf (export: no leaf at that caption path), 5 import: the source is\n"
    "not an outline of a known kind.\n";

// The tool's own output is its text; Qt's notes about the environment (no runtime folder, no screen)
// would only clutter standard error.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

int usageError(QTextStream &err, const QString &message)
{
    err << "quillax-tool: " << message << "\n"
        << "Try 'quillax-tool --help'.\n";
    return treetool::ExitUsage;
}

// Splits "FILE --to FORMAT" in either order; returns false on anything unexpected.
bool fileAndFormat(const QStringList &args, QString &file, QString &format, QString &problem,
                   QString *leaf = nullptr)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (leaf && a == QLatin1String("--leaf")) {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("option '--leaf' needs a caption path");
                return false;
            }
            *leaf = args[++i];
        } else if (leaf && a.startsWith(QLatin1String("--leaf="))) {
            *leaf = a.mid(7);
        } else if (a == QLatin1String("--to")) {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("option '--to' needs a format");
                return false;
            }
            format = args[++i];
        } else if (a.startsWith(QLatin1String("--to="))) {
            format = a.mid(5);
        } else if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            problem = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        } else if (file.isNull()) {
            file = a;
        } else {
            problem = QStringLiteral("unexpected argument '%1'").arg(a);
            return false;
        }
    }
    if (file.isNull()) {
        problem = QStringLiteral("missing FILE");
        return false;
    }
    if (format.isNull()) {
        problem = QStringLiteral("missing '--to FORMAT'");
        return false;
    }
    return true;
}

int runConvert(const QStringList &args, QTextStream &err)
{
    QString file;
    QString formatName;
    QString problem;
    if (!fileAndFormat(args, file, formatName, problem)) {
        return usageError(err, problem);
    }
    convert::Format format;
    if (!convert::parseFormat(formatName, format)) {
        return usageError(err, QStringLiteral("unknown format '%1' (text, html or rtf)").arg(formatName));
    }
    QByteArray input;
    try {
        input = fileaccess::readRegularFile(file);
    } catch (const AppError &e) {
        err << e.message() << "\n";
        return treetool::ExitCannotOpen;
    }
    const QByteArray output = convert::convertBytes(std::move(input), format);
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    std::fflush(stdout);
    return treetool::ExitComplete;
}

int runTreeCommand(const QString &command, const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (command == QLatin1String("export")) {
        QString file;
        QString format;
        QString problem;
        QString leaf;
        if (!fileAndFormat(args, file, format, problem, &leaf)) {
            return usageError(err, problem);
        }
        QFile standardOutput;
        standardOutput.open(stdout, QIODevice::WriteOnly);
        out.flush();
        return treetool::exportTree(file, format, leaf, standardOutput, err);
    }
    if (command == QLatin1String("import")) {
        if (args.size() != 2) {
            return usageError(err, QStringLiteral("import needs SOURCE and OUTPUT"));
        }
        return treetool::importOutline(args[0], args[1], err);
    }
    if (command == QLatin1String("make-tree")) {
        if (args.size() != 2) {
            return usageError(err, QStringLiteral("make-tree needs SOURCE and OUTPUT"));
        }
        return treetool::makeTree(args[0], args[1], err);
    }
    if (command == QLatin1String("find")) {
        if (args.size() != 2) {
            return usageError(err, QStringLiteral("find needs FILE and TEXT"));
        }
        return treetool::find(args[0], args[1], out, err);
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        return usageError(err, QStringLiteral("%1 needs exactly one FILE").arg(command));
    }
    return command == QLatin1String("outline") ? treetool::outline(args[0], out, err)
                                               : treetool::check(args[0], out, err);
}

} // namespace

int main(int argc, char *argv[])
{
    // Documents need fonts and images but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(quietQtMessages);
    // The application takes Qt's own options (-reverse, -platform, ...) out of the arguments it is given;
    // here every argument is the user's, so it gets the program's name alone.
    int appArgc = 1;
    QGuiApplication app(appArgc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    // Every file is read at most to its size, yet memory can still run out on a huge one: say so.
    try {
        QStringList args;
        for (int i = 1; i < argc; ++i) {
            args.append(QString::fromLocal8Bit(argv[i]));
        }
        if (args.isEmpty()) {
            return usageError(err, QStringLiteral("missing COMMAND"));
        }
        const QString command = args.takeFirst();
        if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
            out << Usage;
            return treetool::ExitComplete;
        }
        if (command == QLatin1String("--version")) {
            out << "quillax-tool " << QUILLAX_VERSION << "\n";
            return treetool::ExitComplete;
        }
        if (args.contains(QStringLiteral("--help"))) {
            out << Usage;
            return treetool::ExitComplete;
        }
        if (command == QLatin1String("convert")) {
            return runConvert(args, err);
        }
        if (command == QLatin1String("outline") || command == QLatin1String("export") || command == QLatin1String("check") ||
            command == QLatin1String("make-tree") || command == QLatin1String("find") ||
            command == QLatin1String("import")) {
            return runTreeCommand(command, args, out, err);
        }
        return usageError(err, QStringLiteral("unknown command '%1'").arg(command));
    } catch (const std::bad_alloc &) {
        out.flush();
        err << "quillax-tool: not enough memory\n";
        return treetool::ExitCannotOpen;
    }
}
