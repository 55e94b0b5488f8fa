// Where the help document, itself a tree file, is looked for.
#pragma once

#include <QString>
#include <QStringList>

namespace helpdoc {

// The help document's file name.
inline const QString FileName = QStringLiteral("Quillax.tre");

// Where Help > Contents looks, in order: the current directory (the relative name itself), beside the
// program, then the installed data folders (share/quillax).
QStringList candidatePaths();

// The first candidate that is an existing file (a folder does not count); empty when there is none.
QString locate();

} // namespace helpdoc
