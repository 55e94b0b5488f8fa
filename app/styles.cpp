// The looks of the window's toolbar and Groups list, and the selection colours its editors keep.
#include "app/styles.h"

#include <QPalette>
#include <QWidget>

int ToolBarStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_ToolBarItemSpacing:
    case PM_ToolBarItemMargin:
    case PM_ToolBarFrameWidth:
        return 0;
    case PM_ToolBarSeparatorExtent:
        return 8;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize FixedRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
}

void keepSelectionColoursWhenInactive(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    widget->setPalette(palette);
}
