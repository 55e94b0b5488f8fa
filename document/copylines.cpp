#include "document/copylines.h"
