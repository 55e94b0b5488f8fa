// Where the help document, itself a tree file, is looked for.
#include "document/helpdoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace helpdoc {

QStringList candidatePaths()
{
    QStringList paths{FileName};
    auto add = [&paths](const QString &folder) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + FileName);
        if (!paths.contains(path)) {
            paths.append(path);
        }
    };
    if (QCoreApplication::instance() != nullptr) {
        const QString programFolder = QCoreApplication::applicationDirPath();
        add(programFolder);
        // An installed program finds its data in ../share/quillax, wherever the prefix is.
        add(programFolder + QStringLiteral("/../share/quillax"));
    }
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        add(folder + QStringLiteral("/quillax"));
    }
    return paths;
}

QString locate()
{
    for (const QString &path : candidatePaths()) {
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return QString();
}

} // namespace helpdoc
