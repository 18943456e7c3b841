// xail: runs the alpha register as one command line through the word
// splitter and the parser, as if it had been typed.
#pragma once

#include <cstdint>

// 1 once the current line has been refused and "XAIL ERROR" reported; its
// remaining words are then split off but no longer parsed.
extern int64_t zq_xail_failed;

void zq_cmd_xail();
