#include "document/treetool.h"
