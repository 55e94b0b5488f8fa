// The looks of the window's toolbar and Groups list, and the selection colours its editors keep.
#pragma once

#include <QProxyStyle>
#include <QStyledItemDelegate>

class QWidget;

// Packs the toolbar like a classic one: no gaps between buttons, 8-pixel separators, 4-pixel indent.
class ToolBarStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override;
};

// Rows of one fixed height, as the Groups list lays them out.
class FixedRowDelegate : public QStyledItemDelegate
{
public:
    FixedRowDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int height_;
};

// The selection keeps its active colours when the widget loses the focus.
void keepSelectionColoursWhenInactive(QWidget *widget);
