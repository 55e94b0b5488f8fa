#include "app/beeper.h"
