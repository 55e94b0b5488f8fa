#include "document/helpdoc.h"
