#include "document/treefile.h"
