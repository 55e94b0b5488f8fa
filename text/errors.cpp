// Failures of the core, carrying the text the user reads.
#include "text/errors.h"

#include <utility>

AppError::AppError(QString message) : message_(std::move(message)), utf8_(message_.toStdString())
{
}

FormatError::FormatError(QString message, qint64 offset) : AppError(std::move(message)), offset_(offset)
{
}
