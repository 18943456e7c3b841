// Programs in memory: boundaries found along the label chain, line numbers
// counted by walking one program, and the deletion of a range of words.
#include "interp/navigation.h"

#include "interp/command_table.h"
#include "interp/labels.h"
#include "interp/program.h"

int64_t zq_chain_next(int64_t address) {
  const int64_t link = zq_step_at(address).add;
  return link >= 1 && link < address ? link : 0;
}

int64_t zq_chain_last() {
  const int64_t link = zq_step_at(zq_final_end).add;
  return link >= 1 && link < zq_final_end ? link : 0;
}

int64_t zq_walk_next(int64_t address) {
  const int64_t length = zq_get_step_length(address);
  if (length > 0) return address + length;
  // Only a damaged END-like word before the final END has length 0 there.
  return address < zq_final_end ? address + 1 : address;
}

int64_t zq_program_start(int64_t address) {
  for (int64_t a = zq_chain_last(); a != 0; a = zq_chain_next(a)) {
    if (a < address && zq_step_at(a).cmd == zq_idx_end) return a + 1;
  }
  return 1;
}

int64_t zq_line_to_address(int64_t n) {
  int64_t address = zq_program_start(pc);
  // Once on the final END (or past it) the count stays there.
  for (int64_t line = 1; line < n && address < zq_final_end; ++line) {
    address = zq_walk_next(address);
  }
  return address;
}

int64_t zq_address_to_line(int64_t address) {
  if (address < 2) return 1;
  int64_t line = 1;
  // The bound on the final END ends the count also for an address past it.
  for (int64_t a = zq_program_start(address); a < address && a < zq_final_end; a = zq_walk_next(a)) {
    ++line;
  }
  return line;
}

int64_t zq_get_last_program_start() { return zq_program_start(zq_final_end); }

void zq_get_program_bounds(int64_t address, int64_t& first, int64_t& last) {
  first = 1;
  last = zq_final_end;
  for (int64_t a = zq_chain_last(); a != 0; a = zq_chain_next(a)) {
    if (zq_step_at(a).cmd != zq_idx_end) continue;
    if (a < address) {
      first = a + 1;
      break;
    }
    last = a;
  }
  if (last == zq_final_end) last = zq_final_end - 1;
}

void zq_delete_steps(int64_t first, int64_t last) {
  if (first < 1 || last >= zq_final_end || first > last + 1) return;
  // Source above destination: copying upwards is safe.
  int64_t to = first;
  for (int64_t from = last + 1; from <= zq_final_end; ++from) zq_prog[to++] = zq_prog[from];
  zq_final_end -= last - first + 1;
  zq_link_labels();
}
