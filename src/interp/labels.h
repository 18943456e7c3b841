// The global label catalogue: the names of the global labels in memory
// order, for the USER-mode shortcut and the label catalogue.
#pragma once

#include <cstdint>

constexpr int64_t zq_label_capacity = 128;
// A name of up to 8 characters and NUL padding.
constexpr int zq_label_name_size = 9;

extern char zq_labels[zq_label_capacity][zq_label_name_size];
extern int64_t zq_label_count;
