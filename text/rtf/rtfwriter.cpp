#include "text/rtf/rtfwriter.h"
