#include "app/Options.h"
