// Device-independent bitmaps as images, and stand-ins for pictures that cannot be shown.
#include "text/rtf/pictures.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

namespace rtf::detail {

namespace {

quint32 readLe(const QByteArray &bytes, qsizetype at, int size)
{
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
    }
    return v;
}

void appendLe(QByteArray &out, quint32 v, int size)
{
    for (int i = 0; i < size; ++i) {
        out.append(char(v >> (8 * i) & 0xFF));
    }
}

} // namespace

QImage imageOfDib(const QByteArray &dib)
{
    if (dib.size() < 12) {
        return QImage();
    }
    const quint32 headerSize = readLe(dib, 0, 4);
    if (headerSize < 12 || headerSize > quint32(dib.size())) {
        return QImage();
    }
    // Where the pixels start: after the header, the bit masks of an old header and the colour table.
    quint32 bits = 0;
    quint32 used = 0;
    quint32 compression = 0;
    int entrySize = 4;
    if (headerSize == 12) {
        bits = readLe(dib, 10, 2);
        entrySize = 3;
    } else if (headerSize >= 40) {
        bits = readLe(dib, 14, 2);
        compression = readLe(dib, 16, 4);
        used = readLe(dib, 32, 4);
    } else {
        return QImage();
    }
    quint32 colours = used;
    if (colours == 0 && bits <= 8) {
        colours = 1u << bits;
    }
    if (colours > 256) {
        return QImage();
    }
    quint32 offset = 14 + headerSize + colours * quint32(entrySize);
    if (headerSize == 40 && (compression == 3 || compression == 6)) {
        offset += compression == 3 ? 12 : 16;
    }
    QByteArray file;
    file.reserve(14 + dib.size());
    file.append("BM");
    appendLe(file, quint32(14 + dib.size()), 4);
    appendLe(file, 0, 4);
    appendLe(file, offset, 4);
    file.append(dib);
    QImage image;
    image.loadFromData(file, "BMP");
    return image;
}

QImage placeholderImage(QSize size, const QString &text)
{
    constexpr int MaxSide = 400;
    size = size.expandedTo(QSize(16, 16));
    if (size.width() > MaxSide || size.height() > MaxSide) {
        size.scale(MaxSide, MaxSide, Qt::KeepAspectRatio);
        size = size.expandedTo(QSize(16, 16));
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(245, 245, 245));
    QPainter painter(&image);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        painter.setPen(QColor(64, 64, 64));
        painter.drawText(image.rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    return image;
}

} // namespace rtf::detail
