// Tests of the window's outline files: Import Outline replaces the outline as a new one, Export Outline writes
// the format its filter picks (the whole outline or a subtree), Print Preview paints the chosen leaves.
#include "app/Main.h"
#include "app/asker.h"
#include "app/guard.h"
#include "app/outlinetree.h"
#include "document/outline.h"
#include "document/outlinemodel.h"
#include "document/treefile.h"
#include "support.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Answers every dialog from its fields and records what was asked.
class OutlineFilesAsker : public FileAsker
{
public:
    QStringList answers;
    QStringList dialogs;  // object names, in order
    QStringList warnings;
    QStringList saveQuestions;
    QString exportFilter;
    bool exportSubtree = false;
    PrintRange range = PrintRange::Outline;
    QString previewFile;

    QString askFileName(QWidget *, const FileDialogSpec &request) override
    {
        dialogs.append(request.objectName);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    bool confirmOverwrite(QWidget *, const QString &) override { return true; }
    void warn(QWidget *, const QString &, const QString &text) override { warnings.append(text); }
    SaveChanges askSaveChanges(QWidget *, const QString &, const QString &name) override
    {
        saveQuestions.append(name);
        return SaveChanges::Discard;
    }
    ExportChoice askExportFile(QWidget *parent, const FileDialogSpec &request, bool offerSubtree) override
    {
        ExportChoice choice;
        choice.fileName = askFileName(parent, request);
        choice.filter = exportFilter;
        choice.subtree = offerSubtree && exportSubtree;
        return choice;
    }
    std::optional<PrintRange> askPrintRange(QWidget *, bool) override { return range; }
    void preview(QWidget *, QPrinter &printer, const std::function<void(QPrinter &)> &paint) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(previewFile);
        paint(printer);
    }
};

QStringList outlineOf(const OutlineWidget &tree)
{
    QStringList lines;
    outline::walk(tree.outline(), [&](const OutlineNode *node, int level) {
        lines.append(QStringLiteral("%1@%2").arg(node->caption()).arg(level));
    });
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

const QByteArray SampleMarkdown = "# Garden [Memo]\nRoses *here*.\n## Shrubs\n### Roses\n# Diary\nMay.\n";

} // namespace

class OutlineFilesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    std::unique_ptr<FormParts> ui;
    OutlineFilesAsker *asker = nullptr;
    QStringList errors;
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    // The window with the sample outline imported.
    void importSample()
    {
        const QString source = path("garden.md");
        writeFile(source, SampleMarkdown);
        asker->answers = {source};
        form->ImportOutline1Click();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        setErrorReporter([this](const QString &, const QString &text) { errors.append(text); });
    }
    void init()
    {
        errors.clear();
        form = std::make_unique<TForm1>();
        ui = std::make_unique<FormParts>(*form);
        auto scripted = std::make_unique<OutlineFilesAsker>();
        asker = scripted.get();
        form->setAsker(std::move(scripted));
        form->FormCreate({});
        form->show();
    }
    void cleanup()
    {
        ui.reset();
        form.reset();
    }
    void cleanupTestCase() { setErrorReporter({}); }

    void importReplacesTheOutlineAsANewOneAndLeavesTheSourceAlone()
    {
        // A changed outline is asked about first.
        form->AddBtnClick();
        importSample();
        QCOMPARE(asker->saveQuestions, QStringList{"NewTree"});
        QCOMPARE(asker->dialogs, QStringList{"ImportDialog1"});
        QCOMPARE(outlineOf(*ui->TreeView1), (QStringList{"Garden@0", "Shrubs@1", "Roses@2", "Diary@0"}));
        QCOMPARE(ui->TreeView1->currentItem()->caption(), QStringLiteral("Garden"));
        QCOMPARE(ui->TreeView1->currentItem()->record()->categoryText(), QStringLiteral("Memo"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillax - NewTree"));
        // Save asks where to write: the source is never written over.
        asker->dialogs.clear();
        form->Save1Click();
        QCOMPARE(asker->dialogs, QStringList{"SaveDialog1"});
        QCOMPARE(readFile(path("garden.md")), SampleMarkdown);

        // A source that is no outline is refused with its reason; the outline stays.
        const QString bad = path("broken.opml");
        writeFile(bad, "<opml version=\"2.0\"><body><outline text=\"a\">");
        asker->answers = {bad};
        form->ImportOutline1Click();
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("broken.opml: not an outline")), qPrintable(errors.first()));
        QCOMPARE(outlineOf(*ui->TreeView1).size(), 4);
    }

    void exportWritesTheFormatTheFilterPicks_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("subtree");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("html") << "HTML" << "html" << false << QByteArray("<!DOCTYPE html>");
        QTest::newRow("markdown") << "Markdown" << "md" << false << QByteArray("# Garden [Memo]");
        QTest::newRow("opml") << "OPML" << "opml" << false << QByteArray("<?xml");
        QTest::newRow("text") << "Plain text" << "txt" << false << QByteArray("Garden\n");
        QTest::newRow("pdf") << "PDF" << "pdf" << false << QByteArray("%PDF");
        QTest::newRow("subtree") << "Plain text" << "txt" << true << QByteArray("Shrubs\n\n  Roses\n");
        // No filter (another desktop's dialog): the name's extension picks.
        QTest::newRow("by name") << "" << "md" << false << QByteArray("# Garden [Memo]");
    }
    void exportWritesTheFormatTheFilterPicks()
    {
        QFETCH(QString, filter);
        QFETCH(QString, extension);
        QFETCH(bool, subtree);
        QFETCH(QByteArray, start);
        importSample();
        if (subtree) {
            ui->TreeView1->setCurrentItem(ui->TreeView1->outline().topLevelNode(0)->child(0));
        }
        asker->exportFilter = filter;
        asker->exportSubtree = subtree;
        const QString base = path("out-" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
        asker->answers = {filter.isEmpty() ? base + "." + extension : base};
        form->ExportOutline1Click();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const QByteArray written = readFile(base + "." + extension);
        QVERIFY2(written.startsWith(start), written.left(200).constData());
        if (extension != QLatin1String("pdf")) {
            QCOMPARE(written.contains("Diary"), !subtree);
        }
    }

    void printPreviewPaintsTheChosenLeaves()
    {
        importSample();
        ui->TreeView1->setCurrentItem(ui->TreeView1->outline().topLevelNode(0));
        asker->previewFile = path("preview.pdf");
        asker->range = FileAsker::PrintRange::Leaf;
        form->PrintPreview1Click();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const QByteArray pdf = readFile(asker->previewFile);
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.contains("/Count 1"));
    }
};

QTEST_MAIN(OutlineFilesTest)
#include "outlinefiles_test.moc"
