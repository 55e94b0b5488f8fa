#include "app/completingcombo.h"

CompletingComboBox::CompletingComboBox(QWidget *parent) : QComboBox(parent)
{
}
