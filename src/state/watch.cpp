// The watch list, empty until watch adds to it.
#include "state/watch.h"

int64_t zq_watch[zq_watch_size];
int64_t zq_watch_count = 0;
