#include "text/richtext.h"
