// xail: runs the alpha register as one command line through the word
// splitter and the parser, as if it had been typed.
#pragma once

#include <cstdint>

// 1 once the current line has been refused and "XAIL ERROR" reported; its
// remaining words are then split off but no longer parsed.
extern int64_t zq_xail_failed;

// How many xail lines may be open at once: a program run from a line may
// reach an xail step of its own, and each such level holds a frame of the
// C stack, so a program that keeps starting itself that way is stopped.
constexpr int64_t zq_xail_max_depth = 16;

void zq_cmd_xail();
