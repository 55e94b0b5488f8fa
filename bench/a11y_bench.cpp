// Benchmark: outline commands, New and the Groups list on a 20,000-leaf outline, with and without an
// assistive technology listening. Run on a display with an accessibility bus, for example:
//   xvfb-run -a dbus-run-session ./build-release/bench/a11y_bench
#include "app/Main.h"
#include "app/asker.h"
#include "app/outlinetree.h"
#include "document/treefile.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Leaves = 20000;

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

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    settle();
    return double(t.nsecsElapsed()) / 1e6;
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

// Visits every accessible object below iface, as a screen reader reading the window does; returns the count.
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

// One run in this process: prints "name<TAB>ms" lines.
int measure()
{
    QTemporaryDir dir;
    const QString path = makeOutline(dir.path());
    TForm1 form;
    form.setAsker(std::make_unique<SilentAsker>());
    form.FormCreate({});
    form.show();
    QTest::qWaitForWindowExposed(&form);
    // The accessibility bridge finds the bus asynchronously.
    const bool wanted = qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    for (int i = 0; i < 50 && wanted && !QAccessible::isActive(); ++i) {
        QTest::qWait(100);
    }
    settle();
    std::printf("active\t%d\n", QAccessible::isActive() ? 1 : 0);

    auto middle = [&] {
        OutlineItemIterator it(&form.TreeView1->outline());
        for (int i = 0; i < Leaves / 2 && *it; ++i) {
            ++it;
        }
        form.TreeView1->setCurrentItem(*it);
        settle();
    };
    auto report = [](const char *name, double ms) {
        std::printf("%s\t%.1f\n", name, ms);
        std::fflush(stdout);
    };
    report("open", timed([&] { form.OpenDocument(path); }));
    if (QAccessible::isActive()) {
        // A screen reader that has read the outline once: every row has its accessible object.
        int objects = 0;
        report("read the window", timed([&] { objects = walk(QAccessible::queryAccessibleInterface(&form)); }));
        std::printf("accessible objects read\t%d\n", objects);
    } else {
        report("read the window", 0);
        std::printf("accessible objects read\t0\n");
    }
    middle();
    report("add leaf", timed([&] { form.AddBtnClick(); }));
    middle();
    report("add leaf below", timed([&] { form.AddChildBtnClick(); }));
    middle();
    report("add leaf above", timed([&] { form.InsertBtnClick(); }));
    middle();
    report("move right", timed([&] { form.InBtnClick(); }));
    report("move left", timed([&] { form.OutBtnClick(); }));
    middle();
    report("prune", timed([&] { form.DelBtnClick(); }));
    report("groups: all", timed([&] { form.ShowAllItemsBtnClick(); }));
    report("new", timed([&] { form.New1Click(); }));
    return 0;
}

// Runs measure() in a child process with or without an assistive technology.
std::vector<std::pair<QString, QString>> runChild(bool accessible)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (accessible) {
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("1"));
    } else {
        // Without a session bus no assistive technology can reach the program.
        env.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure")});
    child.waitForFinished(-1);
    std::vector<std::pair<QString, QString>> lines;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 2) {
            lines.emplace_back(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]));
        }
    }
    return lines;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--measure"))) {
        return measure();
    }
    std::printf("Accessibility benchmark: %d leaves, ms per command (goal under 500 ms with accessibility)\n",
                Leaves);
    const auto without = runChild(false);
    const auto with = runChild(true);
    std::printf("  %-20s %12s %12s\n", "", "without", "with");
    for (std::size_t i = 0; i < without.size() && i < with.size(); ++i) {
        std::printf("  %-20s %12s %12s\n", qPrintable(without[i].first), qPrintable(without[i].second),
                    qPrintable(with[i].second));
    }
    if (with.empty() || with.front().second != QLatin1String("1")) {
        std::printf("  accessibility did not become active: run on a display with an AT-SPI bus\n");
    }
    return 0;
}
