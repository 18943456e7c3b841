// Programs in memory: where each begins and ends, line numbers and word
// addresses, the label chain that finds program boundaries, and deletion.
#pragma once

#include <cstdint>

// Every global label and every END before the final END is a chain member:
// its add field links to the member before it, the first member links to 1
// (and carries OPT_CHAIN_HEAD), and the final END links to the last member.
// Walks follow the links downwards from the final END.

// The link of the chain member at address when it leads further down (to a
// lower address of at least 1); 0 ends the walk. A link that does not go down
// (damaged memory, or an END recorded since the last relink) ends it too, so
// no walk can loop.
int64_t zq_chain_next(int64_t address);
// The last chain member, where every walk begins, or 0 when there is none.
int64_t zq_chain_last();

// The address of the step after the one at address, for walkers that pass
// over ordinary ENDs: stays on the final END. A step before the final END
// always moves the walk on, so no walk can stand still.
int64_t zq_walk_next(int64_t address);

// The first word of the program that holds address.
int64_t zq_program_start(int64_t address);

// Address of line n (below 1 counts as 1) of the program that holds pc;
// counting runs on past an END and stays on the final END.
int64_t zq_line_to_address(int64_t n);
// Line number of the step at address within its program; an address past
// the final END gets the final END's line.
int64_t zq_address_to_line(int64_t address);
// First word of the last program: the final END itself when that program is
// empty, 1 for empty memory.
int64_t zq_get_last_program_start();

// First and last word of the program that holds address (1 to zq_final_end);
// the final END is never inside the bounds, so they are empty (first is
// last + 1) for the final END after a closed program.
void zq_get_program_bounds(int64_t address, int64_t& first, int64_t& last);
// Removes words first to last, closes up memory and relinks. Bounds that do
// not lie inside memory in use before the final END change nothing.
void zq_delete_steps(int64_t first, int64_t last);
