// Benchmark of the CherryTree reader: generated outlines of 10,000 and 100,000 nodes, the time each takes
// and their ratio, and the memory the larger import adds beyond its source, against the source's size.
#include "document/formats/importoutline.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <ctime>

namespace {

// A figure in KiB of /proc/self/status ("VmRSS:", "VmHWM:"), or -1.
qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

// Starts the peak resident size afresh (Linux: writing 5 to clear_refs).
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

// Nodes as CherryTree writes them: nesting that goes down to five levels and back, each node with a few
// runs of formatted text, every tenth a code node, every fiftieth with a table.
QByteArray generate(int nodes)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cherrytree>\n  <bookmarks list=\"\"/>\n";
    int depth = 0;
    for (int i = 0; i < nodes; ++i) {
        const int want = i % 7 < 5 ? i % 7 : 0;
        while (depth > want) {
            out += "</node>\n";
            --depth;
        }
        const bool code = i % 10 == 9;
        out += "<node unique_id=\"" + QByteArray::number(i + 1) + "\" master_id=\"0\" name=\"Node " +
               QByteArray::number(i) + "\" prog_lang=\"" + (code ? "python3" : "custom-colors") +
               "\" tags=\"tag" + QByteArray::number(i % 13) +
               " other\" readonly=\"0\" nosearch_me=\"0\" nosearch_ch=\"0\" custom_icon_id=\"0\" is_bold=\"0\" "
               "foreground=\"\" ts_creation=\"1700000000\" ts_lastsave=\"1700000000\">\n";
        out += "<rich_text>Some notes about item " + QByteArray::number(i) + ", </rich_text>";
        out += "<rich_text weight=\"heavy\" foreground=\"#ffff00000000\">in bold red</rich_text>";
        out += "<rich_text>\nand a second line, </rich_text><rich_text style=\"italic\">italic</rich_text>";
        out += "<rich_text>\n</rich_text>\n";
        if (i % 50 == 0 && !code) {
            out += "<table char_offset=\"10\" justification=\"left\" col_min=\"40\" col_max=\"400\" "
                   "col_widths=\"0,0\"><row><cell>1</cell><cell>2</cell></row><row><cell>a</cell><cell>b</cell>"
                   "</row></table>\n";
        }
        ++depth;
    }
    while (depth-- > 0) {
        out += "</node>\n";
    }
    out += "</cherrytree>\n";
    return out;
}

struct Run
{
    qint64 sourceBytes = 0;
    qint64 leaves = 0;
    qint64 keptBytes = 0;
    double seconds = 0;
    double cpuSeconds = 0;  // steadier than seconds on a busy machine
    qint64 addedKiB = 0;
};

Run measure(int nodes)
{
    Run run;
    const QByteArray source = generate(nodes);
    run.sourceBytes = source.size();
    resetPeak();
    const qint64 before = statusKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    formats::LeafSink sink(source.size());
    formats::readCherryTree(source, sink);
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    run.addedKiB = statusKiB("VmHWM:") - before;
    run.leaves = qint64(sink.records().size());
    for (const TreeFileRecord &record : sink.records()) {
        run.keptBytes += record.text.size() + record.caption.size() + record.category.size();
    }
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    measure(1000);  // warms fonts and caches
    const Run small = measure(10000);
    const Run large = measure(100000);
    for (const Run &run : {small, large}) {
        std::printf("%lld leaves from %lld bytes: %.3f s (%.3f s of processor), leaves keep %lld bytes, "
                    "peak added %lld KiB (%.2fx source)\n",
                    run.leaves, run.sourceBytes, run.seconds, run.cpuSeconds, run.keptBytes, run.addedKiB,
                    run.addedKiB * 1024.0 / double(run.sourceBytes));
    }
    std::printf("10x nodes took %.2fx the time, %.2fx the processor time\n", large.seconds / small.seconds,
                large.cpuSeconds / small.cpuSeconds);
    return 0;
}
