#include "text/rtf/tokenizer.h"
