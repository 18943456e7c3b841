// The place of the statistics block, as initialisation sets it.
#include "state/stats.h"

int64_t zq_stat_base = zq_stat_base_initial;
