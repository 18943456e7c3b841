// The flag word; initialisation sets the flags that start set.
#include "state/flags.h"

uint64_t zq_flags = 0;
