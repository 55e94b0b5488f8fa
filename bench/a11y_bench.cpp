// Benchmark: outline commands, New and the Groups list on a 20,000-leaf outline, without assistive technology,
// with Qt's accessibility bridge on, and with a screen reader on the accessibility bus that hears every event
// and reads the window after each command. The last needs an X display, a D-Bus session and at-spi2-core;
// it starts Xvfb and a private dbus-daemon itself when none is there:
//   ./build/bench/a11y_bench
#include "benchsupport.h"
#include "app/Main.h"
#include "tests/support.h"
#include "app/asker.h"
#include "app/droppoint.h"
#include "app/outlinetree.h"
#include "document/treefile.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int Leaves = 20000;
// A reader that reads more objects than this is stopped: it has read the outline row by row.
constexpr int MaxObjectsRead = 200000;

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

// Leaves in levels up to 4 deep, every branch open after loading.
QString makeOutline(const QString &folder)
{
    std::vector<TreeFileRecord> records;
    int previous = -1;
    for (int i = 0; i < Leaves; ++i) {
        TreeFileRecord record;
        record.caption = "leaf " + QByteArray::number(i);
        record.level = previous < 0 ? 0 : (i * 7 % 5 == 0 ? 0 : std::min(previous + 1, (i * 3) % 4));
        previous = record.level;
        record.category = i % 2 ? "Memo" : "ToDo";
        record.text = "{\\rtf1 text " + QByteArray::number(i) + "\\par\r\n}";
        records.push_back(std::move(record));
    }
    const QString path = folder + QStringLiteral("/outline.tre");
    saveTreeRecords(path, records);
    return path;
}

// Visits every accessible object below iface in this process; returns the count.
int walk(QAccessibleInterface *iface)
{
    if (iface == nullptr) {
        return 0;
    }
    int count = 1;
    const int children = iface->childCount();
    for (int i = 0; i < children; ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (child != nullptr) {
            child->text(QAccessible::Name);
            count += walk(child);
        }
    }
    return count;
}

// A screen reader on the accessibility bus, on a thread of its own: it hears every object, focus and
// window event, and reads the program's window as a reader refreshing its picture does, asking each
// object for its children, role and name over D-Bus.
class ScreenReader : public QObject
{
    Q_OBJECT

public:
    explicit ScreenReader(const QString &address) : address_(address) {}

    std::atomic<int> events{0};
    std::atomic<int> calls{0};

public slots:
    void start()
    {
        bus_ = QDBusConnection::connectToBus(address_, QStringLiteral("screen-reader"));
        bool ok = bus_.isConnected();
        // QtDBus connects signals to slots named by string only.
        for (const char *kind : {"org.a11y.atspi.Event.Object", "org.a11y.atspi.Event.Focus",
                                 "org.a11y.atspi.Event.Window"}) {
            ok = ok && bus_.connect(QString(), QString(), QLatin1String(kind), QString(), this,
                                    SLOT(heard(QDBusMessage)));
        }
        for (const char *event : {"object:", "focus:", "window:"}) {
            QDBusMessage m = QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
            m << QString::fromLatin1(event) << QStringList() << QString();
            ok = ok && bus_.call(m).type() == QDBusMessage::ReplyMessage;
        }
        app_ = ok ? findProgram() : QString();
        emit started(!app_.isEmpty());
    }

    // Reads the program's accessible objects; emits read() with how many it found.
    void readWindow()
    {
        QCoreApplication::processEvents();
        int objects = 0;
        std::vector<QString> paths{QStringLiteral("/org/a11y/atspi/accessible/root")};
        while (!paths.empty() && objects < MaxObjectsRead) {
            const QString path = paths.back();
            paths.pop_back();
            ++objects;
            ask(path, QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetRole"));
            QDBusMessage name = QDBusMessage::createMethodCall(
                app_, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
            name << QStringLiteral("org.a11y.atspi.Accessible") << QStringLiteral("Name");
            ++calls;
            bus_.call(name);
            const QDBusMessage children = ask(path, QStringLiteral("org.a11y.atspi.Accessible"),
                                              QStringLiteral("GetChildren"));
            for (const auto &[bus, child] : references(children)) {
                if (bus == app_) {
                    paths.push_back(child);
                }
            }
        }
        QCoreApplication::processEvents();
        emit read(objects);
    }

    void heard(const QDBusMessage &) { ++events; }

signals:
    void started(bool ok);
    void read(int objects);

private:
    QDBusMessage ask(const QString &path, const QString &interface, const QString &method,
                     const QString &service = QString())
    {
        ++calls;
        return bus_.call(QDBusMessage::createMethodCall(service.isEmpty() ? app_ : service, path, interface, method));
    }

    // The (bus name, object path) pairs of a GetChildren reply.
    static std::vector<std::pair<QString, QString>> references(const QDBusMessage &reply)
    {
        std::vector<std::pair<QString, QString>> out;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return out;
        }
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString bus;
            QDBusObjectPath path;
            list.beginStructure();
            list >> bus >> path;
            list.endStructure();
            out.emplace_back(bus, path.path());
        }
        list.endArray();
        return out;
    }

    // This program's application object among those the registry lists.
    QString findProgram()
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            const QDBusMessage desktop = ask(QStringLiteral("/org/a11y/atspi/accessible/root"),
                                             QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetChildren"),
                                             QStringLiteral("org.a11y.atspi.Registry"));
            for (const auto &[bus, path] : references(desktop)) {
                QDBusMessage question = QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
                question << bus;
                const QDBusMessage pid = bus_.call(question);
                if (!pid.arguments().isEmpty() &&
                    pid.arguments().at(0).toLongLong() == QCoreApplication::applicationPid()) {
                    return bus;
                }
            }
            QThread::msleep(100);
        }
        return QString();
    }

    QString address_;
    QDBusConnection bus_{QString()};
    QString app_;
};

// One run in this process: prints "name<TAB>ms[<TAB>D-Bus calls<TAB>events]" lines. With a reader, each
// figure runs until the reader has read the window after the command.
int measure(const QString &readerAddress)
{
    QTemporaryDir dir;
    const QString path = makeOutline(dir.path());
    TForm1 form;
    const FormParts ui(form);
    form.setAsker(std::make_unique<bench::SilentAsker>());
    form.FormCreate({});
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the window was not shown\n");
    }
    // The accessibility bridge finds the bus asynchronously.
    const bool wanted = qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    for (int i = 0; i < 50 && wanted && !QAccessible::isActive(); ++i) {
        QTest::qWait(100);
    }
    settle();
    std::printf("active\t%d\n", QAccessible::isActive() ? 1 : 0);

    QThread readerThread;
    ScreenReader *reader = nullptr;
    if (!readerAddress.isEmpty() && QAccessible::isActive()) {
        reader = new ScreenReader(readerAddress);
        reader->moveToThread(&readerThread);
        QObject::connect(&readerThread, &QThread::finished, reader, &QObject::deleteLater);
        readerThread.start();
        bool started = false;
        QEventLoop wait;
        QObject::connect(reader, &ScreenReader::started, &wait, [&](bool ok) {
            started = ok;
            wait.quit();
        });
        QMetaObject::invokeMethod(reader, &ScreenReader::start, Qt::QueuedConnection);
        wait.exec();
        // The bridge hears of the new listeners from the registry.
        QTest::qWait(500);
        std::printf("reader\t%d\n", started ? 1 : 0);
        if (!started) {
            readerThread.quit();
            readerThread.wait();
            reader = nullptr;
        }
    }
    int objectsRead = 0;
    auto readWindow = [&] {
        QEventLoop wait;
        QObject::connect(reader, &ScreenReader::read, &wait, [&](int objects) {
            objectsRead = objects;
            wait.quit();
        });
        QMetaObject::invokeMethod(reader, &ScreenReader::readWindow, Qt::QueuedConnection);
        wait.exec();
    };
    auto report = [&](const char *name, const std::function<void()> &work) {
        const int calls = reader != nullptr ? reader->calls.load() : 0;
        const int events = reader != nullptr ? reader->events.load() : 0;
        QElapsedTimer t;
        t.start();
        work();
        settle();
        if (reader != nullptr) {
            readWindow();
        }
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (reader != nullptr) {
            std::printf("%s\t%.1f\t%d\t%d\n", name, ms, reader->calls.load() - calls, reader->events.load() - events);
        } else {
            std::printf("%s\t%.1f\n", name, ms);
        }
        std::fflush(stdout);
    };
    auto middle = [&] {
        OutlineNode *half = nullptr;
        int i = 0;
        outline::walk(ui.TreeView1->outline(), [&](OutlineNode *node, int) {
            if (i++ == Leaves / 2) {
                half = node;
            }
        });
        ui.TreeView1->setCurrentItem(half);
        settle();
    };
    OutlineTree &tree = *ui.TreeView1;
    // Drops the current leaf before the row `target`, as a drag with the mouse does.
    auto dropBefore = [&](const QModelIndex &target) {
        if (!target.isValid()) {
            std::fprintf(stderr, "no row to drop on\n");
            return;
        }
        tree.scrollTo(target);
        settle();
        const QRect row = tree.visualRect(target);
        for (int x = 0; x < row.left(); ++x) {
            const QPoint point(x, row.center().y());
            const DropPlan plan = classifyDropPoint(tree, point, tree.buttonsShown());
            if (plan.action == DropPlan::Before && plan.target == tree.itemFromIndex(target)) {
                form.TreeView1DragDrop(point);
                return;
            }
        }
        std::fprintf(stderr, "no drop point before the row\n");
    };
    // The first row below the current leaf's subtree.
    auto rowAfterSubtree = [&] {
        const QModelIndex current = tree.currentIndex();
        QModelIndex row = tree.indexBelow(current);
        auto inside = [&](QModelIndex i) {
            for (; i.isValid(); i = i.parent()) {
                if (i == current) {
                    return true;
                }
            }
            return false;
        };
        while (row.isValid() && inside(row)) {
            row = tree.indexBelow(row);
        }
        return row;
    };

    report("open", [&] { form.OpenDocument(path); });
    if (reader != nullptr) {
        report("read the window", [] {});
        std::printf("accessible objects read\t%d\n", objectsRead);
    } else if (QAccessible::isActive()) {
        report("read the window", [&] { objectsRead = walk(QAccessible::queryAccessibleInterface(&form)); });
        std::printf("accessible objects read\t%d\n", objectsRead);
    }
    middle();
    report("add leaf", [&] { form.AddBtnClick(); });
    middle();
    report("add leaf below", [&] { form.AddChildBtnClick(); });
    middle();
    report("add leaf above", [&] { form.InsertBtnClick(); });
    middle();
    report("move right", [&] { form.InBtnClick(); });
    report("move left", [&] { form.OutBtnClick(); });
    middle();
    const QModelIndex above = tree.indexAbove(tree.currentIndex());
    report("move up", [&] { dropBefore(above); });
    middle();
    const QModelIndex twoBelow = tree.indexBelow(rowAfterSubtree());
    report("move down", [&] { dropBefore(twoBelow); });
    middle();
    report("prune", [&] { form.DelBtnClick(); });
    report("groups: all", [&] { form.ShowAllItemsBtnClick(); });
    report("new", [&] { form.New1Click(); });
    if (reader != nullptr) {
        readerThread.quit();
        readerThread.wait();
    }
    return 0;
}

// An X display and a D-Bus session with the accessibility bus on it: those of the environment, or an
// Xvfb and a dbus-daemon of our own.
class Desktop
{
public:
    ~Desktop()
    {
        for (QProcess *p : {&dbus_, &xvfb_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(1000);
                }
            }
        }
    }

    QString display;
    QString sessionBus;
    QString accessibilityBus;
    QString problem;

    bool start()
    {
        display = qEnvironmentVariable("DISPLAY");
        if (display.isEmpty() && !startXvfb()) {
            return false;
        }
        sessionBus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        if (sessionBus.isEmpty() && !startDbus()) {
            return false;
        }
        QDBusConnection session = QDBusConnection::connectToBus(sessionBus, QStringLiteral("bench-session"));
        // Asking for the address starts the accessibility bus; the switch turns toolkits' bridges on.
        const QDBusMessage reply = session.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"),
            QStringLiteral("GetAddress")));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            problem = QStringLiteral("no accessibility bus (at-spi2-core): ") + reply.errorMessage();
            return false;
        }
        accessibilityBus = reply.arguments().at(0).toString();
        QDBusMessage enable =
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
        enable << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
               << QVariant::fromValue(QDBusVariant(true));
        session.call(enable);
        return true;
    }

private:
    bool startXvfb()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            problem = QStringLiteral("no X display and no Xvfb");
            return false;
        }
        int number = 90;
        while (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
            ++number;
        }
        display = QStringLiteral(":%1").arg(number);
        xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb_.setStandardOutputFile(QProcess::nullDevice());
        xvfb_.start(program, {display, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x900x24"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i) {
            QThread::msleep(50);
        }
        if (!QFileInfo::exists(socket)) {
            problem = QStringLiteral("Xvfb did not start");
            return false;
        }
        return true;
    }

    bool startDbus()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty()) {
            problem = QStringLiteral("no D-Bus session and no dbus-daemon");
            return false;
        }
        // Switching accessibility on makes the bus launcher store the setting in the user's dconf
        // database: the private bus and what it starts get a home of their own.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("DISPLAY"), display);
        dbus_.setProcessEnvironment(env);
        dbus_.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                              QStringLiteral("--print-address=1")});
        if (!dbus_.waitForReadyRead(5000)) {
            problem = QStringLiteral("dbus-daemon did not start");
            return false;
        }
        sessionBus = QString::fromUtf8(dbus_.readLine()).trimmed();
        return !sessionBus.isEmpty();
    }

    QTemporaryDir home_;
    QProcess xvfb_;
    QProcess dbus_;
};

struct Figure {
    QString ms;
    QString calls;
    QString events;
};

// Runs measure() in a child process: without a session bus (no assistive technology can reach it), with
// the accessibility bridge on, or with the bridge and a screen reader.
std::vector<std::pair<QString, Figure>> runChild(const Desktop *desktop, bool accessible, bool withReader)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList arguments{QStringLiteral("--measure")};
    if (desktop != nullptr) {
        env.insert(QStringLiteral("DISPLAY"), desktop->display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), desktop->sessionBus);
    }
    if (accessible) {
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("1"));
        if (withReader && desktop != nullptr) {
            arguments << QStringLiteral("--reader") << desktop->accessibilityBus;
        }
    } else {
        env.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    std::vector<std::pair<QString, Figure>> lines;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() >= 2) {
            Figure figure{QString::fromUtf8(parts[1]), QString(), QString()};
            if (parts.size() >= 4) {
                figure.calls = QString::fromUtf8(parts[2]);
                figure.events = QString::fromUtf8(parts[3]);
            }
            lines.emplace_back(QString::fromUtf8(parts[0]), figure);
        }
    }
    return lines;
}

QString valueOf(const std::vector<std::pair<QString, Figure>> &lines, const QString &name)
{
    for (const auto &[n, figure] : lines) {
        if (n == name) {
            return figure.ms;
        }
    }
    return QString();
}

QString ratio(const QString &over, const QString &under)
{
    bool ok1 = false;
    bool ok2 = false;
    const double a = over.toDouble(&ok1);
    const double b = under.toDouble(&ok2);
    return ok1 && ok2 && b > 0 ? QString::number(a / b, 'f', 1) : QStringLiteral("-");
}

} // namespace

int main(int argc, char *argv[])
{
    if (std::any_of(argv + 1, argv + argc, [](const char *a) { return std::strcmp(a, "--measure") == 0; })) {
        QApplication app(argc, argv);
        const QStringList arguments = app.arguments();
        const qsizetype at = arguments.indexOf(QStringLiteral("--reader"));
        return measure(at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString());
    }
    // The runs have windows; this process only starts them and needs no display.
    QCoreApplication app(argc, argv);
    std::printf("Accessibility benchmark: %d leaves, ms per command (goal under 500 ms with a screen reader)\n",
                Leaves);
    Desktop desktop;
    const bool haveBus = desktop.start();
    if (!haveBus) {
        std::printf("  no accessibility bus (%s): in-process figures only\n", qPrintable(desktop.problem));
    }
    const Desktop *shown = desktop.display.isEmpty() ? nullptr : &desktop;
    const auto without = runChild(shown, false, false);
    const auto bridge = runChild(haveBus ? &desktop : nullptr, true, false);
    const auto reader = haveBus ? runChild(&desktop, true, true) : decltype(without){};
    std::printf("  %-24s %10s %10s %10s %9s %9s %9s\n", "", "without", "bridge", "reader", "ratio", "calls", "events");
    for (const auto &[name, figure] : reader.empty() ? bridge : reader) {
        const QString none = valueOf(without, name);
        const QString bridged = valueOf(bridge, name);
        const QString read = reader.empty() ? QString() : figure.ms;
        std::printf("  %-24s %10s %10s %10s %9s %9s %9s\n", qPrintable(name), qPrintable(none), qPrintable(bridged),
                    qPrintable(read), qPrintable(ratio(reader.empty() ? bridged : read, none)),
                    qPrintable(figure.calls), qPrintable(figure.events));
    }
    if (valueOf(bridge, QStringLiteral("active")) != QLatin1String("1")) {
        std::printf("  accessibility did not become active: run on a display with an AT-SPI bus\n");
    } else if (haveBus && valueOf(reader, QStringLiteral("reader")) != QLatin1String("1")) {
        std::printf("  the screen reader could not reach the program on the accessibility bus\n");
    }
    return 0;
}

#include "a11y_bench.moc"
