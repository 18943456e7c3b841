// The watch list: the registers whose values the stack display shows before
// the stack.
#pragma once

#include <cstdint>

// Room for 25 watched cells; watch adds only while fewer are in use.
constexpr int64_t zq_watch_size = 25;
// Cell indexes (1 to 1005) in the order they were added; repeats allowed.
extern int64_t zq_watch[zq_watch_size];
extern int64_t zq_watch_count;
