// File dialogs, questions and warnings of the document commands.
#include "app/asker.h"
