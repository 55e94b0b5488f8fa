#include "app/updown.h"

UpDown::UpDown(QWidget *parent) : QWidget(parent)
{
}
