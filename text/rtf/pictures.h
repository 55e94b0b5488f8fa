// Pictures of RTF that Qt cannot draw as they are: device-independent bitmaps made into images, and a
// framed stand-in for the others that names their kind.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace rtf::detail {

// The image of a device-independent bitmap (a BITMAPINFOHEADER or BITMAPCOREHEADER, its colour table,
// then its pixels, as \dibitmap holds it); a null image when the bytes are no such bitmap.
QImage imageOfDib(const QByteArray &dib);

// A frame of about the given size (in pixels, kept small for big pictures) with the text written in it.
// Without a GUI application, where fonts are not to be had, the frame is drawn without the text.
QImage placeholderImage(QSize size, const QString &text);

} // namespace rtf::detail
