#include "text/rtf/rtfreader.h"
