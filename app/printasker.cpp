// The dialogs of Export Outline, Print and Print Preview: the export file with its format and extent, what to
// print, the print dialog and the preview window.
#include "app/asker.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

// "HTML (*.html)" of a Qt name filter, back to the description the request's filter gave it.
QString descriptionOf(const QString &nameFilter)
{
    const qsizetype open = nameFilter.lastIndexOf(QLatin1String(" ("));
    return open < 0 ? nameFilter : nameFilter.left(open);
}

// The first pattern's extension of a Qt name filter ("html" of "HTML (*.html)"), empty for "*.*".
QString extensionOf(const QString &nameFilter)
{
    const qsizetype open = nameFilter.lastIndexOf(QLatin1String("(*."));
    if (open < 0) {
        return QString();
    }
    QString extension = nameFilter.mid(open + 3);
    extension.truncate(extension.indexOf(QRegularExpression(QStringLiteral("[ )]"))));
    return extension == QLatin1String("*") ? QString() : extension;
}

} // namespace

FileAsker::ExportChoice FileAsker::askExportFile(QWidget *parent, const FileDialogSpec &request, bool)
{
    ExportChoice choice;
    choice.fileName = askFileName(parent, request);
    return choice;
}

std::optional<FileAsker::PrintRange> FileAsker::askPrintRange(QWidget *, bool)
{
    return PrintRange::Outline;
}

bool FileAsker::askPrinter(QWidget *, QPrinter &)
{
    return true;
}

void FileAsker::preview(QWidget *, QPrinter &printer, const std::function<void(QPrinter &)> &paint)
{
    paint(printer);
}

FileAsker::ExportChoice DialogAsker::askExportFile(QWidget *parent, const FileDialogSpec &request,
                                                   bool offerSubtree)
{
    QFileDialog dialog(parent);
    configureFileDialog(dialog, request);
    // The extension follows the format the filter picks.
    const auto followFilter = [&dialog](const QString &filter) { dialog.setDefaultSuffix(extensionOf(filter)); };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    followFilter(dialog.selectedNameFilter());
    auto *subtree = new QCheckBox(QStringLiteral("Selected leaf and its subtree"), &dialog);
    subtree->setObjectName(QStringLiteral("SubtreeCheckBox"));
    subtree->setEnabled(offerSubtree);
    // Qt's own dialog lays itself out on a grid: the choice goes below everything else.
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        grid->addWidget(subtree, grid->rowCount(), 0, 1, grid->columnCount());
    }
    ExportChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return choice;
    }
    choice.fileName = dialog.selectedFiles().first();
    choice.filter = descriptionOf(dialog.selectedNameFilter());
    choice.subtree = offerSubtree && subtree->isChecked();
    return choice;
}

std::optional<FileAsker::PrintRange> DialogAsker::askPrintRange(QWidget *parent, bool leafSelected)
{
    if (!leafSelected) {
        return PrintRange::Outline;
    }
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PrintRangeDialog"));
    dialog.setWindowTitle(QStringLiteral("Print"));
    auto *layout = new QVBoxLayout(&dialog);
    QButtonGroup group;
    const std::pair<PrintRange, QString> choices[] = {
        {PrintRange::Outline, QStringLiteral("&Whole outline")},
        {PrintRange::Subtree, QStringLiteral("Selected leaf and its &subtree")},
        {PrintRange::Leaf, QStringLiteral("Selected &leaf")},
    };
    for (const auto &[range, text] : choices) {
        auto *button = new QRadioButton(text, &dialog);
        group.addButton(button, int(range));
        layout->addWidget(button);
    }
    group.button(int(PrintRange::Outline))->setChecked(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return PrintRange(group.checkedId());
}

bool DialogAsker::askPrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    return dialog.exec() == QDialog::Accepted;
}

void DialogAsker::preview(QWidget *parent, QPrinter &printer, const std::function<void(QPrinter &)> &paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
    dialog.resize(800, 600);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter *target) { paint(*target); });
    dialog.exec();
}
