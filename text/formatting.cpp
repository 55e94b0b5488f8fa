#include "text/formatting.h"
