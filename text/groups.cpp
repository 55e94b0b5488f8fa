#include "text/groups.h"
