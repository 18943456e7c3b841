// Labels: the relink of the label chain with the global label catalogue,
// the label searches, the destination of a jump and its resolution after a load.
#pragma once

#include <cstdint>

constexpr int64_t zq_label_capacity = 128;
// A name of up to 8 characters and NUL padding.
constexpr int zq_label_name_size = 9;

// The names of the first 128 global labels in memory order, for the USER-mode
// shortcut and the label catalogue; rebuilt by every relink.
extern char zq_labels[zq_label_capacity][zq_label_name_size];
extern int64_t zq_label_count;

// 1 lets a running xeq push its return address; 0 only while the resolution
// after a load runs a jump step to fill its destination cache.
extern uint8_t zq_xeq_push;

// Relinks the chain through every END and global label before the final END
// and rebuilds the catalogue.
void zq_link_labels();

// The searches give the address of the lbl step, 0 when it is not found
// (after their message), 1 on empty memory.
// A global label along the chain: the last one in memory wins.
int64_t zq_find_string_label(uint32_t word0, uint32_t word1);
int64_t zq_find_global_label(const char* name);
// Local labels, in the program that holds pc: the first one wins.
int64_t zq_find_numeric_label(int64_t n);
int64_t zq_find_char_label(int c);

// The destination of the decoded gto or xeq, directly or through ind, or 0.
int64_t zq_find_branch_target();
// "NONEXISTENT"; unless flag 25 swallows it, a run ends on the jump step and
// no return stays pending.
void zq_report_missing_target();
// Gives an unterminated last program an END of its own, with a new final
// END after it; the caller relinks.
void zq_close_last_program();
// Runs every direct gto and xeq step once, without pushing a return, so that
// its destination cache is filled; after zq_put_final_end and zq_link_labels.
void zq_resolve_jumps();

// Clears the destination cache of every jump step, after a load or a
// deletion changed program memory: a cache may then name a word that no
// longer holds its label, or a global label that a later program now
// shadows. Each step searches again on its next run.
void zq_clear_jump_caches();
