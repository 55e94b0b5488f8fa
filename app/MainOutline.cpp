#include "app/Main.h"

void TForm1::bindOutlineHandlers()
{
}
