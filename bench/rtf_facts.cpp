// Measures how many known formatting facts of a document the RTF reader keeps, beside LibreOffice's
// own reading of the same RTF and LibreOffice's reading of what our writer makes of our document.
//
// Documents with known facts come from three places: HTML and flat ODF documents written here and
// turned into RTF by LibreOffice (when soffice is on PATH), RTF written by hand in the manner of
// other producers, and documents of ../shared/rtf-corpus/files, whose facts are taken from
// LibreOffice's own HTML export of them (so that part measures agreement, not correctness).
// LibreOffice's HTML is read back through QTextDocument::setHtml, so its figures include Qt's HTML
// import; where Qt's import loses something LibreOffice wrote, the miss is listed and can be looked at.
#include "rtffacts.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cstdio>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace facts;

namespace {

// ---- LibreOffice as a child process ----

class Office
{
public:
    explicit Office(const QString &profileDir)
        : program_(QStandardPaths::findExecutable(QStringLiteral("soffice"))),
          profile_(QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profileDir).toString())
    {
    }
    bool isAvailable() const { return !program_.isEmpty(); }

    // Converts files into outDir; the input filter is needed to open HTML as a text document.
    void convert(const QStringList &files, const QString &to, const QString &outDir, const QString &inFilter = {})
    {
        if (files.isEmpty()) {
            return;
        }
        QStringList args{profile_, QStringLiteral("--headless"), QStringLiteral("--norestore")};
        if (!inFilter.isEmpty()) {
            args << QStringLiteral("--infilter=") + inFilter;
        }
        args << QStringLiteral("--convert-to") << to << QStringLiteral("--outdir") << outDir << files;
        QProcess process;
        process.start(program_, args);
        if (!process.waitForFinished(300000)) {
            process.kill();
            process.waitForFinished();
            std::printf("soffice did not finish converting to %s\n", qPrintable(to));
        }
    }

private:
    QString program_;
    QString profile_;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

bool loadHtml(const QString &path, QTextDocument &doc)
{
    const QByteArray bytes = readAll(path);
    if (bytes.isEmpty()) {
        return false;
    }
    // LibreOffice writes strike-out as <strike>, which Qt's HTML import does not know, and says "no
    // underline" inside it with text-decoration: none, which in Qt (not in a browser) also ends the
    // strike-out and an enclosing <u>. Both are put as a browser shows them.
    const QString text = QString::fromUtf8(bytes);
    static const QRegularExpression tags(QStringLiteral("<(/?)(u|strike|s)\\b[^>]*>|text-decoration: none"));
    QString out;
    int underline = 0, strike = 0, last = 0;
    for (auto it = tags.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        if (m.captured(2).isEmpty()) {
            QStringList lines;
            if (underline > 0) {
                lines << QStringLiteral("underline");
            }
            if (strike > 0) {
                lines << QStringLiteral("line-through");
            }
            out += QStringLiteral("text-decoration: ") + (lines.isEmpty() ? QStringLiteral("none") : lines.join(' '));
            continue;
        }
        const int step = m.captured(1).isEmpty() ? 1 : -1;
        if (m.captured(2) == QLatin1String("u")) {
            underline = qMax(0, underline + step);
            out += m.captured(0);
        } else {
            strike = qMax(0, strike + step);
            out += step > 0 ? QStringLiteral("<s>") : QStringLiteral("</s>");
        }
    }
    out += QStringView(text).mid(last);
    doc.setHtml(out);
    return true;
}


// ---- Tallies ----

struct Tally {
    int checked = 0;
    int ours = 0;
    int office = 0;
    int roundTrip = 0;
    int officeChecked = 0;
    int roundTripChecked = 0;
};

QString percent(int kept, int checked)
{
    return checked == 0 ? QStringLiteral("    -") : QString::asprintf("%5.1f", 100.0 * kept / checked);
}

void printTable(const char *title, const std::vector<Tally> &tallies)
{
    std::printf("\n%s\n", title);
    std::printf("%-12s %8s %10s %14s %16s\n", "fact", "checked", "reader %", "LibreOffice %", "writer->LO %");
    Tally total;
    for (int k = 0; k < int(Kind::Count); ++k) {
        const Tally &t = tallies[k];
        if (t.checked == 0) {
            continue;
        }
        std::printf("%-12s %8d %10s %14s %16s\n", KindNames[k], t.checked, qPrintable(percent(t.ours, t.checked)),
                    qPrintable(percent(t.office, t.officeChecked)),
                    qPrintable(percent(t.roundTrip, t.roundTripChecked)));
        total.checked += t.checked;
        total.ours += t.ours;
        total.office += t.office;
        total.officeChecked += t.officeChecked;
        total.roundTrip += t.roundTrip;
        total.roundTripChecked += t.roundTripChecked;
    }
    std::printf("%-12s %8d %10s %14s %16s\n", "total", total.checked, qPrintable(percent(total.ours, total.checked)),
                qPrintable(percent(total.office, total.officeChecked)),
                qPrintable(percent(total.roundTrip, total.roundTripChecked)));
}


} // namespace


int main(int argc, char **argv)
{
    // Fonts and document layout need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const bool verbose = app.arguments().contains(QStringLiteral("--verbose"));
    QString corpus = QStringLiteral("/work/shared/rtf-corpus/files");
    for (int i = 1; i + 1 < app.arguments().size(); ++i) {
        if (app.arguments().at(i) == QLatin1String("--corpus")) {
            corpus = app.arguments().at(i + 1);
        }
    }

    QTemporaryDir work;
    const QString dir = work.path();
    if (app.arguments().contains(QStringLiteral("--keep"))) {
        work.setAutoRemove(false);
        std::printf("Files kept in %s\n", qPrintable(dir));
    }
    for (const char *sub : {"source", "rtf", "ours", "html"}) {
        QDir(dir).mkpath(QString::fromLatin1(sub));
    }
    Office office(dir + QStringLiteral("/profile"));
    std::printf("Formatting facts kept by the RTF reader\n");
    if (office.isAvailable()) {
        std::printf("LibreOffice: soffice found; it makes RTF of the HTML and ODF documents and reads every RTF back "
                    "as HTML.\n");
    } else {
        std::printf("LibreOffice: soffice not on PATH; only the hand-written RTF is measured, without LibreOffice's "
                    "figures.\n");
    }

    std::vector<Sample> samples;
    addLibreOfficeSamples(samples);
    addHandSamples(samples);

    // Documents of the corpus: their facts are what LibreOffice's HTML export of them shows.
    QStringList corpusFiles;
    if (office.isAvailable() && QFileInfo::exists(corpus)) {
        corpusFiles = QDir(corpus).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
        std::printf("Corpus: %lld documents from %s.\n", qlonglong(corpusFiles.size()), qPrintable(corpus));
    } else if (!QFileInfo::exists(corpus)) {
        std::printf("Corpus: %s is absent; skipped.\n", qPrintable(corpus));
    } else {
        std::printf("Corpus: skipped without LibreOffice, which gives its facts.\n");
    }

    QStringList htmlSources, odfSources;
    for (const Sample &s : samples) {
        if (s.source == Source::Rtf) {
            writeAll(dir + "/rtf/" + s.name + ".rtf", s.content);
        } else if (s.source == Source::Html) {
            htmlSources << dir + "/source/" + s.name + ".html";
            writeAll(htmlSources.last(), s.content);
        } else {
            odfSources << dir + "/source/" + s.name + ".fodt";
            writeAll(odfSources.last(), s.content);
        }
    }
    if (office.isAvailable()) {
        office.convert(htmlSources, QStringLiteral("rtf"), dir + "/rtf", QStringLiteral("HTML (StarWriter)"));
        office.convert(odfSources, QStringLiteral("rtf"), dir + "/rtf");
    }
    for (const QString &name : corpusFiles) {
        Sample s{QStringLiteral("corpus:") + QFileInfo(name).completeBaseName(), Source::Rtf,
                 readAll(corpus + "/" + name), {}, true};
        samples.push_back(s);
        writeAll(dir + "/rtf/c_" + QFileInfo(name).completeBaseName() + ".rtf", s.content);
    }

    // Our reader, and our writer's RTF of what it read.
    auto rtfName = [](const Sample &s) {
        return s.fromCorpus ? QStringLiteral("c_") + s.name.mid(7) : s.name;
    };
    std::map<QString, std::unique_ptr<QTextDocument>> ours;
    QStringList toHtml;
    for (const Sample &s : samples) {
        const QByteArray bytes = readAll(dir + "/rtf/" + rtfName(s) + ".rtf");
        if (bytes.isEmpty()) {
            continue;
        }
        auto doc = std::make_unique<QTextDocument>();
        rtf::read(bytes, *doc);
        writeAll(dir + "/ours/w_" + rtfName(s) + ".rtf", rtf::write(*doc));
        toHtml << dir + "/rtf/" + rtfName(s) + ".rtf" << dir + "/ours/w_" + rtfName(s) + ".rtf";
        ours[s.name] = std::move(doc);
    }
    if (office.isAvailable()) {
        office.convert(toHtml, QStringLiteral("html"), dir + "/html");
    }

    std::vector<Tally> known(static_cast<size_t>(Kind::Count)), agreement(static_cast<size_t>(Kind::Count));
    QStringList readerMisses, officeMisses, writerMisses, corpusMisses;
    int knownDocs = 0, corpusDocs = 0, unmatched = 0;
    for (Sample &s : samples) {
        auto found = ours.find(s.name);
        if (found == ours.end()) {
            std::printf("%s: no RTF (%s); skipped.\n", qPrintable(s.name),
                        office.isAvailable() ? "LibreOffice did not convert it" : "made by LibreOffice");
            continue;
        }
        const QTextDocument &doc = *found->second;
        QTextDocument officeDoc, roundTripDoc;
        const bool hasOffice = loadHtml(dir + "/html/" + rtfName(s) + ".html", officeDoc);
        const bool hasRoundTrip = loadHtml(dir + "/html/w_" + rtfName(s) + ".html", roundTripDoc);
        if (s.fromCorpus) {
            if (!hasOffice) {
                continue;
            }
            s.facts = factsOf(officeDoc);
            ++corpusDocs;
        } else {
            ++knownDocs;
        }
        std::vector<Tally> &tallies = s.fromCorpus ? agreement : known;
        for (const Fact &fact : s.facts) {
            // Text our reader reads differently (spaces, marks, code pages) is the plain-text
            // comparison's business; only formatting of text found in both is compared here.
            if (s.fromCorpus && findText(doc, fact.text).isNull()) {
                if (verbose) {
                    std::printf("unmatched %s: '%s'\n", qPrintable(s.name), qPrintable(fact.text));
                }
                ++unmatched;
                continue;
            }
            Tally &t = tallies[int(fact.kind)];
            const QString what = QStringLiteral("%1: %2 '%3' should be '%4'")
                                     .arg(s.name, QString::fromLatin1(KindNames[int(fact.kind)]), fact.text,
                                          fact.value);
            ++t.checked;
            QString seen;
            if (holds(doc, fact, &seen)) {
                ++t.ours;
            } else {
                (s.fromCorpus ? corpusMisses : readerMisses) << what + QStringLiteral(", is '") + seen + QLatin1Char('\'');
            }
            if (hasOffice && !s.fromCorpus) {
                ++t.officeChecked;
                if (holds(officeDoc, fact, &seen)) {
                    ++t.office;
                } else {
                    officeMisses << what + QStringLiteral(", is '") + seen + QLatin1Char('\'');
                }
            }
            if (hasRoundTrip) {
                ++t.roundTripChecked;
                if (holds(roundTripDoc, fact, &seen)) {
                    ++t.roundTrip;
                } else if (!s.fromCorpus || verbose) {
                    writerMisses << what + QStringLiteral(", is '") + seen + QLatin1Char('\'');
                }
            }
        }
    }

    std::printf("\n%d documents with known facts, %d corpus documents.\n", knownDocs, corpusDocs);
    printTable("Documents with known facts (written here, converted by LibreOffice, or hand-written RTF):", known);
    if (corpusDocs > 0) {
        printTable("Corpus documents: agreement with LibreOffice's HTML export of them (the LibreOffice column "
                   "is its reference, so it is left out):",
                   agreement);
        std::printf("(%d facts of the export name text our reader's document does not hold as such; not counted.)\n",
                    unmatched);
    }
    auto list = [&](const char *title, const QStringList &misses, int limit) {
        std::printf("\n%s: %lld\n", title, qlonglong(misses.size()));
        for (int i = 0; i < misses.size() && i < limit; ++i) {
            std::printf("  %s\n", qPrintable(misses.at(i)));
        }
        if (misses.size() > limit) {
            std::printf("  ... (--verbose lists all)\n");
        }
    };
    const int limit = verbose ? 1 << 30 : 60;
    list("Facts our reader misses", readerMisses, limit);
    if (corpusDocs > 0) {
        list("Corpus facts of LibreOffice's export our reader does not agree with", corpusMisses, limit);
    }
    list("Facts LibreOffice misses", officeMisses, limit);
    list("Facts lost by our writer, as LibreOffice reads it", writerMisses, limit);
    return 0;
}
