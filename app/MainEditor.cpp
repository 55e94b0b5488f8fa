#include "app/Main.h"

void TForm1::bindEditorHandlers()
{
}
#include "app/Main.h"

void TForm1::unbindEditorHandlers()
{
}
