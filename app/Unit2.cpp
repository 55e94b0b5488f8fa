#include "app/Unit2.h"
