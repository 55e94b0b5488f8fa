// File dialogs, questions and warnings of the document commands.
#include "app/asker.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

QStringList qtNameFilters(const QString &barFilter)
{
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
        }
        const QString joined = patterns.join(QLatin1Char(' '));
        if (joined.isEmpty()) {
            continue;
        }
        // Qt reads the patterns from the last parentheses of a filter, so a description that already
        // shows its patterns can stand as it is; any other gets them appended.
        const QString shown = QStringLiteral("(%1)").arg(joined);
        if (description.endsWith(shown, Qt::CaseInsensitive)) {
            filters.append(description.left(description.size() - shown.size()) + shown);
        } else if (description.isEmpty()) {
            filters.append(shown);
        } else {
            filters.append(QStringLiteral("%1 %2").arg(description, shown));
        }
    }
    return filters;
}

void configureFileDialog(QFileDialog &dialog, const FileDialogSpec &request)
{
    dialog.setObjectName(request.objectName);
    // Qt's own dialog: it behaves alike on every desktop and has no read-only check box to hide.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setSizeGripEnabled(true);
    // No dialog requires the named file to exist: a name that does not exist can be confirmed.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (request.kind == FileDialogSpec::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    }
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    // "*" means no default extension.
    if (!request.defaultExtension.isEmpty() && request.defaultExtension != QLatin1String("*")) {
        dialog.setDefaultSuffix(request.defaultExtension);
    } else {
        dialog.setDefaultSuffix(QString());
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
}

QString DialogAsker::askFileName(QWidget *parent, const FileDialogSpec &request)
{
    QFileDialog dialog(parent);
    configureFileDialog(dialog, request);
    while (dialog.exec() == QDialog::Accepted) {
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty() || chosen.first().isEmpty()) {
            return QString();
        }
        // A confirmed pattern such as the initial "*.*" lists the matching files instead of naming one.
        const QFileInfo info(chosen.first());
        const QString namePart = info.fileName();
        if (namePart.contains(QLatin1Char('*')) || namePart.contains(QLatin1Char('?'))) {
            dialog.setDirectory(info.absolutePath());
            dialog.setNameFilter(namePart);
            dialog.selectFile(QString());
            continue;
        }
        return chosen.first();
    }
    return QString();
}

bool DialogAsker::confirmOverwrite(QWidget *, const QString &)
{
    // The save dialog itself has already asked before replacing the file.
    return true;
}

void DialogAsker::warn(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text);
}

FileAsker::SaveChanges FileAsker::askSaveChanges(QWidget *, const QString &, const QString &)
{
    return SaveChanges::Discard;
}

FileAsker::SaveChanges DialogAsker::askSaveChanges(QWidget *parent, const QString &title, const QString &name)
{
    QMessageBox box(QMessageBox::Warning, title, QStringLiteral("Save changes to \"%1\"?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChanges::Save;
    case QMessageBox::Discard:
        return SaveChanges::Discard;
    default:
        return SaveChanges::Cancel;
    }
}
