#include "app/guard.h"
