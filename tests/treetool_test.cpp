// Tests of the tool's tree-file commands: outline, check, export and make-tree, their output and exit codes.
#include "document/treefile.h"
#include "document/treetool.h"
#include "text/richtext.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextStream>
#include <QtTest>

#include "support.h"

#include <sys/stat.h>

namespace {

using support::le32;
using support::recordBytes;

const QByteArray BoldRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Strong} plain\\par\r\n}\r\n";

// Runs one command with both streams captured.
struct Run
{
    int code = -1;
    QString out;
    QString err;
};

template <typename Command>
Run run(Command command)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = command(out, err);
    out.flush();
    err.flush();
    return r;
}

// Runs export with its output captured as text.
Run runExport(const QString &path, const QString &format, const QString &leafPath = QString())
{
    Run r;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QTextStream err(&r.err);
    r.code = treetool::exportTree(path, format, leafPath, out, err);
    err.flush();
    r.out = QString::fromUtf8(out.data());
    return r;
}

bool anyBoldFragment(const QTextDocument &document, const QString &text)
{
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.text().contains(text) && f.charFormat().fontWeight() >= QFont::Bold) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TreeToolTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void outlinePrintsLeavesAsTheReaderPlacesThem();
    void outlineOfDamagedFileWarnsAndExitsThree();
    void missingFileExitsOneWithMessage();
    void checkReportsCountLeavesAndDamage();
    void exportWritesHeadingsAndFormattedText();
    void exportRejectsUnknownFormat();
    void makeTreeBuildsReadableTreeFile();
    void makeTreeRejectsTextBeforeFirstHeadingAndBadOutput();
    void importReadsMarkdownBackAsExported();
    void importRefusesWhatIsNoOutline_data();
    void importRefusesWhatIsNoOutline();

private:
    QString write(const QString &name, const QByteArray &bytes);
    std::unique_ptr<QTemporaryDir> dir_;
};

void TreeToolTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

QString TreeToolTest::write(const QString &name, const QByteArray &bytes)
{
    const QString path = dir_->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        qFatal("cannot write a fixture");
    }
    return path;
}

void TreeToolTest::outlinePrintsLeavesAsTheReaderPlacesThem()
{
    const QString path = write(QStringLiteral("plan.tre"),
                               le32(5) + recordBytes("Plan", 2, "Default", BoldRtf) + recordBytes("Caf\xe9", 3, "Memo", "") +
                                   recordBytes("Deep", 3, "ToDo", "") + recordBytes("Back", 1, "", "") +
                                   recordBytes("Top", -7, "Unknown", ""));
    const Run r = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(path, out, err); });
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QString::fromUtf8("Plan [Default]\n"
                                      "  Caf\u00e9 [Memo]\n"
                                      "    Deep [ToDo]\n"
                                      "  Back []\n"
                                      "Top [Unknown]\n"));
}

void TreeToolTest::outlineOfDamagedFileWarnsAndExitsThree()
{
    const QByteArray second = recordBytes("Second", 1, "Memo", "some text");
    const QString path = write(QStringLiteral("cut.tre"), le32(3) + recordBytes("First", 0, "Default", "") +
                                                              second.left(second.size() - 4));
    const Run r = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(path, out, err); });
    QCOMPARE(r.code, 3);
    QCOMPARE(r.out, QStringLiteral("First [Default]\n"));
    QVERIFY2(r.err.startsWith(path + QStringLiteral(": read 1 of 3 leaves")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("at byte 289")), qPrintable(r.err));

    const QString empty = write(QStringLiteral("empty.tre"), QByteArray());
    const Run e = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(empty, out, err); });
    QCOMPARE(e.code, 3);
    QCOMPARE(e.out, QString());
    QVERIFY(e.err.contains(QStringLiteral("read 0 of 0 leaves")));

    const QString zero = write(QStringLiteral("zero.tre"), le32(0));
    const Run z = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(zero, out, err); });
    QCOMPARE(z.code, 0);
    QCOMPARE(z.out, QString());
    QCOMPARE(z.err, QString());
}

void TreeToolTest::missingFileExitsOneWithMessage()
{
    // Only regular files are read: a folder, a device that never ends and a pipe without a writer
    // (which would block forever) all fail at once, like a missing file.
    const QString pipe = dir_->filePath(QStringLiteral("pipe.tre"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString sourceDir = dir_->filePath(QStringLiteral("folder.tre"));
    QVERIFY(QDir().mkpath(sourceDir));
    const QString output = dir_->filePath(QStringLiteral("made.tre"));
    for (const QString &bad : {dir_->filePath(QStringLiteral("none.tre")), sourceDir, pipe, QStringLiteral("/dev/zero")}) {
        const QString message = QStringLiteral("Cannot open file %1\n").arg(bad);
        const Run o = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(bad, out, err); });
        QCOMPARE(o.code, 1);
        QCOMPARE(o.err, message);
        QCOMPARE(o.out, QString());
        const Run c = run([&](QTextStream &out, QTextStream &err) { return treetool::check(bad, out, err); });
        QCOMPARE(c.code, 1);
        QCOMPARE(c.err, message);
        const Run x = runExport(bad, QStringLiteral("html"));
        QCOMPARE(x.code, 1);
        QCOMPARE(x.err, message);
        QCOMPARE(x.out, QString());
        const Run m = run([&](QTextStream &, QTextStream &err) { return treetool::makeTree(bad, output, err); });
        QCOMPARE(m.code, 1);
        QCOMPARE(m.err, message);
        const Run i = run([&](QTextStream &, QTextStream &err) { return treetool::importOutline(bad, output, err); });
        QCOMPARE(i.code, 1);
        QCOMPARE(i.err, message);
        QVERIFY(!QFile::exists(output));
    }
}

void TreeToolTest::checkReportsCountLeavesAndDamage()
{
    const QByteArray whole = le32(2) + recordBytes("A", 0, "Memo", "abc") + recordBytes("B", 1, "Memo", "");
    const QString good = write(QStringLiteral("good.tre"), whole + "xyz");
    const Run g = run([&](QTextStream &out, QTextStream &err) { return treetool::check(good, out, err); });
    QCOMPARE(g.code, 0);
    QCOMPARE(g.err, QString());
    QCOMPARE(g.out, QStringLiteral("%1\n  size: %2 bytes\n  records announced: 2\n  leaves read: 2\n"
                                   "  status: complete\n  note: 3 bytes after the last record are not read\n")
                        .arg(good)
                        .arg(whole.size() + 3));

    const QString bad = write(QStringLiteral("bad.tre"), le32(4) + recordBytes("A", 0, "Memo", "abc"));
    const Run b = run([&](QTextStream &out, QTextStream &err) { return treetool::check(bad, out, err); });
    QCOMPARE(b.code, 3);
    QVERIFY2(b.out.contains(QStringLiteral("records announced: 4\n  leaves read: 1\n")), qPrintable(b.out));
    QVERIFY2(b.out.contains(QStringLiteral("status: damaged or incomplete at byte 292: the file ends after 1 of 4")),
             qPrintable(b.out));
    QVERIFY(b.err.contains(QStringLiteral("read 1 of 4 leaves")));

    const QString negative = write(QStringLiteral("negative.tre"), le32(-3) + recordBytes("A", 0, "Memo", "abc"));
    const Run n = run([&](QTextStream &out, QTextStream &err) { return treetool::check(negative, out, err); });
    QCOMPARE(n.code, 3);
    QVERIFY2(n.out.contains(QStringLiteral("damaged or incomplete at byte 0: the record count is negative (-3)")),
             qPrintable(n.out));
}

void TreeToolTest::exportWritesHeadingsAndFormattedText()
{
    QByteArray bytes = le32(9) + recordBytes("Intro <&>", 0, "Memo", BoldRtf);
    for (int level = 1; level < 8; ++level) {
        bytes += recordBytes("L" + QByteArray::number(level), level, "Unknown", "");
    }
    bytes += recordBytes("Second", 0, "ToDo", "plain words\r\n");
    const QString path = write(QStringLiteral("doc.tre"), bytes);

    const Run md = runExport(path, QStringLiteral("markdown"));
    QCOMPARE(md.code, 0);
    QVERIFY2(md.out.startsWith(QStringLiteral("# Intro \\<&\\> [Memo]\n\n")), qPrintable(md.out));
    QVERIFY2(md.out.contains(QStringLiteral("**Strong** plain")), qPrintable(md.out));
    QVERIFY(md.out.contains(QStringLiteral("\n## L1\n")));
    QVERIFY(md.out.contains(QStringLiteral("\n###### L5\n")));
    // Past six levels a caption is a bold paragraph.
    QVERIFY(md.out.contains(QStringLiteral("\n**L6**\n\n**L7**\n")));
    QVERIFY(md.out.contains(QStringLiteral("\n# Second [ToDo]\n\nplain words\n")));

    const Run html = runExport(path, QStringLiteral("html"));
    QCOMPARE(html.code, 0);
    QVERIFY(html.out.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(html.out.contains(QStringLiteral("<h1>Intro &lt;&amp;&gt;</h1>")));
    QVERIFY(html.out.contains(QStringLiteral("<section id=\"leaf-1\" data-level=\"0\" data-category=\"Memo\">")));
    QVERIFY(html.out.contains(QStringLiteral("<h6>L7</h6>")));
    QVERIFY2(html.out.contains(QStringLiteral("font-weight:700")), qPrintable(html.out));
    QVERIFY(html.out.trimmed().endsWith(QStringLiteral("</html>")));
    QCOMPARE(html.out.count(QStringLiteral("<section")), 9);
    // The contents link every leaf, nested as the outline is, and every list is closed.
    QCOMPARE(html.out.count(QStringLiteral("<a href=\"#leaf-")), 9);
    QVERIFY(html.out.contains(QStringLiteral("<li><a href=\"#leaf-9\">Second</a></li>")));
    QCOMPARE(html.out.count(QStringLiteral("<ul>")), 8);
    QCOMPARE(html.out.count(QStringLiteral("</ul>")), 8);
    QCOMPARE(html.out.count(QStringLiteral("<li>")), html.out.count(QStringLiteral("</li>")));

    const Run text = runExport(path, QStringLiteral("text"));
    QCOMPARE(text.code, 0);
    QVERIFY2(text.out.startsWith(QStringLiteral("Intro <&>\n\nStrong plain\n\n  L1\n\n    L2\n")), qPrintable(text.out));
    QVERIFY(!text.out.contains(QStringLiteral("rtf")));

    // One leaf with its subtree by its caption path; a path that leads nowhere writes nothing.
    const Run sub = runExport(path, QStringLiteral("text"), QStringLiteral("Intro <&> > L1 > L2"));
    QCOMPARE(sub.code, 0);
    QVERIFY2(sub.out.startsWith(QStringLiteral("L2\n\n  L3\n")), qPrintable(sub.out));
    QVERIFY(!sub.out.contains(QStringLiteral("Second")) && !sub.out.contains(QStringLiteral("L1")));
    const Run none = runExport(path, QStringLiteral("text"), QStringLiteral("Intro <&> > L2"));
    QCOMPARE(none.code, 4);
    QCOMPARE(none.out, QString());

    // A damaged file exports what was read and exits 3.
    const QString cut = write(QStringLiteral("cut.tre"), bytes.left(bytes.size() - 5));
    const Run c = runExport(cut, QStringLiteral("text"));
    QCOMPARE(c.code, 3);
    QVERIFY(c.out.contains(QStringLiteral("L7")));
    QVERIFY(!c.out.contains(QStringLiteral("Second")));
    QVERIFY(c.err.contains(QStringLiteral("read 8 of 9 leaves")));
}

void TreeToolTest::exportRejectsUnknownFormat()
{
    const QString path = write(QStringLiteral("one.tre"), le32(1) + recordBytes("A", 0, "Memo", ""));
    const Run r = runExport(path, QStringLiteral("docx"));
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY(r.err.contains(QStringLiteral("unknown format 'docx'")));
}

void TreeToolTest::makeTreeBuildsReadableTreeFile()
{
    const QString source = write(QStringLiteral("help.md"),
                                 QString::fromUtf8("\n# Welcome [Memo]\n"
                                                   "Some **bold** words.\n"
                                                   "\n"
                                                   "## Caf\u00e9 commands\n"
                                                   "```\n"
                                                   "# not a heading\n"
                                                   "```\n"
                                                   "#### Jumped deep [ToDo]\n"
                                                   "# Second\n")
                                     .toUtf8());
    const QString output = dir_->filePath(QStringLiteral("Help.tre"));
    const Run m = run([&](QTextStream &, QTextStream &err) { return treetool::makeTree(source, output, err); });
    QCOMPARE(m.code, 0);
    QCOMPARE(m.err, QString());

    const TreeFileContents contents = readTreeFile(output);
    QVERIFY(contents.complete);
    QCOMPARE(contents.recordsRead(), 4);
    QCOMPARE(contents.records[0].caption, QByteArray("Welcome"));
    QCOMPARE(contents.records[0].category, QByteArray("Memo"));
    QCOMPARE(contents.records[1].caption, QByteArray("Caf\xe9 commands"));
    QCOMPARE(contents.records[1].category, QByteArray("Default"));
    QCOMPARE(contents.records[1].level, 1);
    // A heading that jumps levels is stored where the reader places it.
    QCOMPARE(contents.records[2].level, 2);
    QCOMPARE(contents.records[2].category, QByteArray("ToDo"));
    QCOMPARE(contents.records[3].level, 0);
    QVERIFY(contents.records[3].text.isEmpty());

    QVERIFY(richtext::isRtf(contents.records[0].text));
    QTextDocument welcome;
    richtext::loadBytes(welcome, contents.records[0].text);
    QCOMPARE(welcome.toPlainText().trimmed(), QStringLiteral("Some bold words."));
    QVERIFY(anyBoldFragment(welcome, QStringLiteral("bold")));
    QTextDocument fenced;
    richtext::loadBytes(fenced, contents.records[1].text);
    QVERIFY2(fenced.toPlainText().contains(QStringLiteral("# not a heading")), qPrintable(fenced.toPlainText()));

    const Run o = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(output, out, err); });
    QCOMPARE(o.code, 0);
    QCOMPARE(o.out, QString::fromUtf8("Welcome [Memo]\n  Caf\u00e9 commands [Default]\n    Jumped deep [ToDo]\n"
                                      "Second [Default]\n"));
}

void TreeToolTest::makeTreeRejectsTextBeforeFirstHeadingAndBadOutput()
{
    const QString stray = write(QStringLiteral("stray.md"), "\nloose text\n# Heading\n");
    const QString output = dir_->filePath(QStringLiteral("out.tre"));
    const Run s = run([&](QTextStream &, QTextStream &err) { return treetool::makeTree(stray, output, err); });
    QCOMPARE(s.code, 2);
    QCOMPARE(s.err, stray + QStringLiteral(":2: text before the first heading\n"));
    QVERIFY(!QFile::exists(output));

    const QString good = write(QStringLiteral("good.md"), "# Heading\n");
    const QString badOutput = dir_->filePath(QStringLiteral("missing/folder/out.tre"));
    const Run b = run([&](QTextStream &, QTextStream &err) { return treetool::makeTree(good, badOutput, err); });
    QCOMPARE(b.code, 1);
    QCOMPARE(b.err, QStringLiteral("Cannot create file %1\n").arg(badOutput));

    const QString missing = dir_->filePath(QStringLiteral("missing.md"));
    const Run m = run([&](QTextStream &, QTextStream &err) { return treetool::makeTree(missing, output, err); });
    QCOMPARE(m.code, 1);
    QCOMPARE(m.err, QStringLiteral("Cannot open file %1\n").arg(missing));
}

void TreeToolTest::importReadsMarkdownBackAsExported()
{
    // Odd captions, a deep chain and a long caption with characters a tree file cannot hold.
    QByteArray bytes = le32(10) + recordBytes("Top *one* [x]", 0, "Memo", BoldRtf);
    for (int level = 1; level < 6; ++level) {
        bytes += recordBytes("L" + QByteArray::number(level), level, "Unknown", "");
    }
    bytes += recordBytes("# hash", 1, "ToDo", "two\r\nlines\r\n") + recordBytes("Next", 0, "Unknown", "") +
             recordBytes("Child", 1, "Unknown", "") + recordBytes("Last", 0, "Default", "");
    const QString path = write(QStringLiteral("round.tre"), bytes);
    const Run md = runExport(path, QStringLiteral("markdown"));
    QCOMPARE(md.code, 0);
    const QString source = write(QStringLiteral("round.md"), md.out.toUtf8());
    const QString output = dir_->filePath(QStringLiteral("back.tre"));
    const Run i = run([&](QTextStream &, QTextStream &err) { return treetool::importOutline(source, output, err); });
    QCOMPARE(i.code, 0);
    QCOMPARE(i.err, QString());
    const Run before = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(path, out, err); });
    const Run after = run([&](QTextStream &out, QTextStream &err) { return treetool::outline(output, out, err); });
    QCOMPARE(after.out, before.out);
    const TreeFileContents contents = readTreeFile(output);
    QTextDocument top;
    richtext::loadBytes(top, contents.records[0].text);
    QVERIFY(anyBoldFragment(top, QStringLiteral("Strong")));

    // What a tree file cannot hold is told, once per kind of loss.
    const QString wide = write(QStringLiteral("wide.md"), "# " + QByteArray(300, 'w') + "\n# \xe2\x98\x83 snow\n");
    const Run w = run([&](QTextStream &, QTextStream &err) { return treetool::importOutline(wide, output, err); });
    QCOMPARE(w.code, 0);
    QVERIFY2(w.err.contains(QStringLiteral("1 caption was cut to 255")), qPrintable(w.err));
    QVERIFY2(w.err.contains(QStringLiteral("1 caption held characters")), qPrintable(w.err));
    QCOMPARE(readTreeFile(output).records[1].caption, QByteArray("? snow"));
}

void TreeToolTest::importRefusesWhatIsNoOutline_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("message");
    QByteArray deep = "<opml version=\"2.0\"><body>";
    for (int i = 0; i < 10000; ++i) {
        deep += "<outline text=\"d\">";
    }
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE opml [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;"
                              "&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
                              "<opml version=\"2.0\"><body><outline text=\"&d;&d;&d;&d;&d;&d;&d;&d;\"/></body></opml>";
    QTest::newRow("malformed XML") << QByteArray("<opml version=\"2.0\">\n<body><outline text=\"a\"></body></opml>")
                                   << "(tried OPML); as OPML: line 2";
    QTest::newRow("other XML") << QByteArray("<html><body/></html>") << "(tried OPML, CherryTree)";
    QTest::newRow("entity expands") << laughs << "line 1, column 38: not XML: the document declares entities";
    QTest::newRow("10,000 deep") << deep << "(tried OPML)";
    QTest::newRow("broken CherryTree") << QByteArray("<cherrytree><node name=\"a\"><rich_text>x</node>")
                                       << "(tried CherryTree); as CherryTree: line 1";
    QTest::newRow("malformed JSON") << QByteArray("{\"formats\": [") << "(tried TreeLine)";
    QTest::newRow("truncated gzip") << QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xab\x56", 12)
                                    << "(tried TreeLine)";
    QTest::newRow("binary") << QByteArray("\x01\x02\x00\x03", 4) << "as Markdown: byte 2";
    QTest::newRow("text without headings") << QByteArray("just\nsome text\n") << "no heading line";
}

void TreeToolTest::importRefusesWhatIsNoOutline()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, message);
    const QString path = write(QStringLiteral("bad.src"), source);
    const QString output = dir_->filePath(QStringLiteral("never.tre"));
    const Run r = run([&](QTextStream &, QTextStream &err) { return treetool::importOutline(path, output, err); });
    QCOMPARE(r.code, 5);
    QVERIFY2(r.err.startsWith(path + QStringLiteral(": not an outline of a kind Quillax reads")), qPrintable(r.err));
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(output));
}

QTEST_MAIN(TreeToolTest)
#include "treetool_test.moc"
