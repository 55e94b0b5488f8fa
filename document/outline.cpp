#include "document/outline.h"
