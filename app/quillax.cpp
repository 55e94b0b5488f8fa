// Program entry: the application object, the main window and its two dialogs, then the event loop.
#include "app/Main.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QGuiApplication::setDesktopFileName(QStringLiteral("quillax"));

    TForm1 form;
    // The dialogs show the program's icon too.
    QApplication::setWindowIcon(form.windowIcon());
    // FormCreate shows its own failures and carries on; arguments after the first are ignored there.
    form.FormCreate(QCoreApplication::arguments().mid(1));
    form.createSecondaryForms();
    form.show();
    QApplication::exec();
    return 0;
}
