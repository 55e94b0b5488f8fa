// Outlines of other kinds: Import Outline and Export Outline, and the outline on paper: Print and Print Preview.
#include "app/Main.h"

#include "app/asker.h"
#include "app/guard.h"
#include "app/outlinetree.h"
#include "app/progress.h"
#include "document/formats/importoutline.h"
#include "document/formats/outlineexport.h"
#include "document/outline.h"
#include "document/outlinefile.h"
#include "text/fileaccess.h"

#include <QAction>
#include <QFileInfo>
#include <QPrinter>

namespace {

const QString ImportFilter = QStringLiteral("OPML (*.opml)|*.opml|CherryTree (*.ctd)|*.ctd|TreeLine (*.trln)|*.trln|"
                                            "Markdown (*.md)|*.md;*.markdown|All Files (*.*)|*.*");

// The export formats, in the order the dialog lists them; the first is the default.
struct ExportKind
{
    const char *description;
    formats::OutlineFormat format;
};
const ExportKind ExportKinds[] = {
    {"HTML", formats::OutlineFormat::Html},       {"Markdown", formats::OutlineFormat::Markdown},
    {"OPML", formats::OutlineFormat::Opml},       {"Plain text", formats::OutlineFormat::Text},
    {"PDF", formats::OutlineFormat::Pdf},
};

QString exportFilter()
{
    QStringList parts;
    for (const ExportKind &kind : ExportKinds) {
        const QString extension = formats::extensionOf(kind.format);
        parts << QStringLiteral("%1 (*.%2)").arg(QLatin1String(kind.description), extension)
              << QStringLiteral("*.") + extension;
    }
    return parts.join(QLatin1Char('|'));
}

// The format the dialog's filter picked; failing that (an asker without filters), the name's extension;
// failing that, HTML. The name gets the format's extension when it has none of it.
formats::OutlineFormat exportFormat(const FileAsker::ExportChoice &choice, QString &fileName)
{
    formats::OutlineFormat format = formats::OutlineFormat::Html;
    bool picked = false;
    for (const ExportKind &kind : ExportKinds) {
        if (choice.filter == QLatin1String(kind.description)) {
            format = kind.format;
            picked = true;
        }
    }
    const QString suffix = QFileInfo(fileName).suffix();
    if (!picked && !formats::parseOutlineFormat(suffix, format)) {
        format = formats::OutlineFormat::Html;
    }
    if (suffix.compare(formats::extensionOf(format), Qt::CaseInsensitive) != 0 &&
        !(format == formats::OutlineFormat::Html && suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0)) {
        fileName += QLatin1Char('.') + formats::extensionOf(format);
    }
    return format;
}

// The leaves of the outline (the root counts itself in its subtree).
qint64 leafCount(const OutlineModel &model)
{
    return outline::subtreeSize(model.root()) - 1;
}

} // namespace

void TForm1::bindOutlineFileHandlers()
{
    bindCommand(ImportOutline1, nullptr, &TForm1::ImportOutline1Click);
    bindCommand(ExportOutline1, nullptr, &TForm1::ExportOutline1Click);
    bindCommand(Print1, nullptr, &TForm1::Print1Click);
    bindCommand(PrintPreview1, nullptr, &TForm1::PrintPreview1Click);
}

QString TForm1::outlineName() const
{
    return showsRememberedFile_ ? QFileInfo(openDialog1Name_).completeBaseName() : QStringLiteral("NewTree");
}

void TForm1::ImportOutline1Click()
{
    guarded([&] {
        if (!maySetOutlineAside()) {
            return;
        }
        const QString name = asker().askFileName(
            this, {FileDialogSpec::Kind::Open, QStringLiteral("ImportDialog1"), ImportFilter, QStringLiteral("*"),
                   importDialogName_});
        if (name.isNull()) {
            return;
        }
        importDialogName_ = name;
        // Read and understood first: a source that cannot be read, or a cancelled import, leaves the outline
        // as it was.
        QByteArray bytes = fileaccess::readRegularFile(name);
        formats::ImportedOutline imported;
        try {
            ProgressShown shown(this, QStringLiteral("Importing %1...").arg(QFileInfo(name).fileName()),
                                bytes.size());
            imported = formats::importOutline(bytes, QFileInfo(name).completeBaseName(), shown.progress());
        } catch (const formats::Cancelled &) {
            return;
        } catch (const formats::ImportError &e) {
            throw AppError(QStringLiteral("%1: %2").arg(QFileInfo(name).fileName(), e.message()));
        }
        bytes = QByteArray();
        // The outline is new: its caption says so, and Save asks where to write, so the source stays as it is.
        ClearTree();
        TreeFileContents contents;
        contents.records = std::move(imported.records);
        showReadOutline(contents);
        if (!imported.warnings.isEmpty()) {
            asker().warn(this, applicationTitle(), imported.warnings.lines().join(QLatin1Char('\n')));
        }
    });
}

void TForm1::ExportOutline1Click()
{
    guarded([&] {
        const OutlineNode *selected = HasSelectedLeaf() ? TreeView1->currentItem() : nullptr;
        FileAsker::ExportChoice choice =
            asker().askExportFile(this,
                                  {FileDialogSpec::Kind::Save, QStringLiteral("ExportDialog1"), exportFilter(),
                                   QStringLiteral("html"), exportDialogName_},
                                  selected != nullptr);
        if (choice.fileName.isNull()) {
            return;
        }
        QString fileName = choice.fileName;
        const formats::OutlineFormat format = exportFormat(choice, fileName);
        exportDialogName_ = fileName;
        if (QFileInfo(fileName).isFile() && fileName != choice.fileName && !asker().confirmOverwrite(this, fileName)) {
            return;
        }
        // What is typed in the editor goes out too.
        storePendingEdits();
        const OutlineModel &model = TreeView1->outline();
        const bool subtree = choice.subtree && selected != nullptr;
        const formats::LeafSource leaves = subtree ? formats::leavesOf(*selected) : formats::leavesOf(model);
        ProgressShown shown(this, QStringLiteral("Exporting %1...").arg(QFileInfo(fileName).fileName()),
                            subtree ? 0 : leafCount(model));
        try {
            // A failed or cancelled export leaves the file as it was.
            fileaccess::saveAtomically(fileName, [&](QIODevice &out) {
                formats::writeOutline(out, format, leaves, outlineName(), shown.progress());
            });
        } catch (const formats::Cancelled &) {
        }
    });
}

std::optional<formats::LeafSource> TForm1::leavesToPrint()
{
    const OutlineNode *selected = HasSelectedLeaf() ? TreeView1->currentItem() : nullptr;
    const std::optional<FileAsker::PrintRange> range = asker().askPrintRange(this, selected != nullptr);
    if (!range) {
        return std::nullopt;
    }
    // What is typed in the editor is printed too.
    storePendingEdits();
    if (selected != nullptr && *range == FileAsker::PrintRange::Subtree) {
        return formats::leavesOf(*selected);
    }
    if (selected != nullptr && *range == FileAsker::PrintRange::Leaf) {
        return formats::leafAlone(*selected);
    }
    return formats::leavesOf(TreeView1->outline());
}

void TForm1::Print1Click()
{
    guarded([&] {
        const std::optional<formats::LeafSource> leaves = leavesToPrint();
        if (!leaves) {
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(outlineName());
        if (!asker().askPrinter(this, printer)) {
            return;
        }
        ProgressShown shown(this, QStringLiteral("Printing..."), leafCount(TreeView1->outline()));
        try {
            formats::printOutline(printer, *leaves, outlineName(), shown.progress());
        } catch (const formats::Cancelled &) {
            printer.abort();
        }
    });
}

void TForm1::PrintPreview1Click()
{
    guarded([&] {
        const std::optional<formats::LeafSource> leaves = leavesToPrint();
        if (!leaves) {
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(outlineName());
        // The preview paints again whenever its page setup changes; each painting is guarded on its own,
        // since it runs inside the preview's event handling.
        asker().preview(this, printer, [&](QPrinter &target) {
            guarded([&] { formats::printOutline(target, *leaves, outlineName(), formats::Progress()); });
        });
    });
}
