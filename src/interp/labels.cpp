// The global label catalogue: the names of the global labels in memory
// order, for the USER-mode shortcut and the label catalogue.
#include "interp/labels.h"

char zq_labels[zq_label_capacity][zq_label_name_size];
int64_t zq_label_count = 0;
