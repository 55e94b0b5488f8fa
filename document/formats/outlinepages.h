// The page layout of a printed outline on any painter: leaves flowing down the pages, captions as headings,
// page numbers at the foot.
#pragma once

#include "document/formats/outlineexport.h"

#include <QSizeF>

#include <functional>

class QPainter;

namespace formats {

// Text is laid out at this resolution at most and the painter scaled to the device's: the text layout's
// fixed point ends at about 8.4 million pixels, so fewer pixels per page leave more room per layout.
constexpr int MaxLayoutDpi = 300;

// The paint area of a page in the painter's own device pixels (origin at its top left) and the device's
// resolution.
struct PageArea
{
    QSizeF size;
    qreal dpiX = MaxLayoutDpi;
    qreal dpiY = MaxLayoutDpi;
};

// Lays the leaves out on pages of area and paints them with painter, active on the device; newPage moves
// the device on to a fresh page. Calls progress(leaves done, leaf count) every few leaves and throws
// Cancelled when it returns false. Returns the number of pages (at least 1).
int paintOutlinePages(QPainter &painter, const PageArea &area, const std::function<void()> &newPage,
                      const LeafSource &leaves, const Progress &progress);

} // namespace formats
