// File dialogs, questions and warnings of the document commands, replaceable in tests.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QPrinter;
class QWidget;

// What a file dialog needs: its kind, filter, default extension and the file name it opens with.
struct FileDialogSpec
{
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString objectName;       // "OpenDialog1" ...
    QString filter;           // "All Files (*.*)|*.*|..."
    QString defaultExtension; // "tre", "rtf" or "*"
    QString fileName;         // the name the dialog opens with; the last confirmed name
};

class FileAsker
{
public:
    virtual ~FileAsker() = default;
    // The confirmed file name, or a null string when the user cancels.
    virtual QString askFileName(QWidget *parent, const FileDialogSpec &request) = 0;
    // Asked before an existing file is written over; true lets the command go on.
    virtual bool confirmOverwrite(QWidget *parent, const QString &name) = 0;
    // A warning the user reads and dismisses (a damaged tree file, for instance).
    virtual void warn(QWidget *parent, const QString &title, const QString &text) = 0;

    // The answers to "Save changes to "NAME"?".
    enum class SaveChanges { Save, Discard, Cancel };
    // Asked before an outline with unsaved changes is closed or replaced; name is the one the caption
    // shows. An asker that asks nobody lets the command go on as if nothing had changed.
    virtual SaveChanges askSaveChanges(QWidget *parent, const QString &title, const QString &name);

    // Export Outline's file: the name (null when cancelled), the filter picked (the description part of
    // request.filter, empty when the asker has none) and whether only the selected leaf with its subtree
    // is written (offered only when a leaf is selected). By default the name comes from askFileName and
    // the whole outline is written.
    struct ExportChoice
    {
        QString fileName;
        QString filter;
        bool subtree = false;
    };
    virtual ExportChoice askExportFile(QWidget *parent, const FileDialogSpec &request, bool offerSubtree);

    // What Print and Print Preview take: the whole outline, the selected leaf with its subtree, or the
    // selected leaf alone (the last two offered only when a leaf is selected). Empty when cancelled; by
    // default the whole outline.
    enum class PrintRange { Outline, Subtree, Leaf };
    virtual std::optional<PrintRange> askPrintRange(QWidget *parent, bool leafSelected);
    // The print dialog: true to print on the printer as set up. By default prints as the printer stands.
    virtual bool askPrinter(QWidget *parent, QPrinter &printer);
    // Shows the pages paint draws on the printer; by default paints them once, onto the printer.
    virtual void preview(QWidget *parent, QPrinter &printer, const std::function<void(QPrinter &)> &paint);
};

// The real dialogs.
class DialogAsker : public FileAsker
{
public:
    QString askFileName(QWidget *parent, const FileDialogSpec &request) override;
    bool confirmOverwrite(QWidget *parent, const QString &name) override;
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    SaveChanges askSaveChanges(QWidget *parent, const QString &title, const QString &name) override;
    ExportChoice askExportFile(QWidget *parent, const FileDialogSpec &request, bool offerSubtree) override;
    std::optional<PrintRange> askPrintRange(QWidget *parent, bool leafSelected) override;
    bool askPrinter(QWidget *parent, QPrinter &printer) override;
    void preview(QWidget *parent, QPrinter &printer, const std::function<void(QPrinter &)> &paint) override;
};

// Turns a filter of bar-separated description and pattern pairs ("All Files (*.*)|*.*|Quillax (*.TRE)|*.TRE")
// into the name filters of a Qt file dialog ("All Files (*.*)", "Quillax (*.TRE)"). Patterns separated by
// ';' become one filter with several patterns; an unpaired last description is dropped.
QStringList qtNameFilters(const QString &barFilter);

// Sets up a file dialog from its description: Qt's own dialog, resizable, open or save with the replace
// question, the filters with the first one selected, the default extension and the starting name.
void configureFileDialog(QFileDialog &dialog, const FileDialogSpec &request);
