#include "app/outlinetree.h"

OutlineTree::OutlineTree(QWidget *parent) : QTreeWidget(parent)
{
}
