#include "text/convert.h"
