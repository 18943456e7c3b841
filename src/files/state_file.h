// The binary state file: status (flags, statistics base, alpha, stack and
// LASTX, SIZE), data registers and program memory, written and read whole.
#pragma once

#include <cstdint>

// Which sections a state file holds, in this order. Only MEM_STATUS (the
// status file) and MEM_ALL (the write-all file) are ever asked for.
enum zq_content_mask : uint64_t {
  MEM_STATUS = 1,
  MEM_DATA = 2,
  MEM_PROGRAM = 4,
  MEM_ALL = 7,
};

constexpr uint64_t MEM_VERSION = 2;

// Sizes in bytes: the version and mask, then each section.
constexpr int64_t zq_state_header_size = 16;
constexpr int64_t zq_state_status_size = 93;
constexpr int64_t zq_state_data_size = 9000;
constexpr int64_t zq_state_program_size = 262148;
constexpr int64_t zq_state_status_file_size = zq_state_header_size + zq_state_status_size;  // 109
constexpr int64_t zq_state_all_file_size =
    zq_state_status_file_size + zq_state_data_size + zq_state_program_size;  // 271257

// Both compose the file name from zq_text first: double quotes removed, the
// path prefix put before its first 24 characters, backslashes made '/'.
// Neither sets an error code; their messages go to standard output.

// Writes the sections of mask (a combination of MEM_STATUS, MEM_DATA and
// MEM_PROGRAM); the file is replaced whole or, on any failure, left as it
// was (zq_save_open). Changes no calculator state.
void zq_write_state_file(uint64_t mask);
// Reads a file that holds exactly the sections of mask into the live state
// and relinks the labels when program memory was read. Returns 1 when they
// were read; 0 (state untouched) when the file cannot be opened or is no
// regular file, has another version or mask, ends early or holds what no
// state could hold.
int64_t zq_read_state_file(uint64_t mask);

// Whether a file of that name exists, the name taken as given (no path
// prefix, no cut): the start-up restore asks for zq17.mem in the current
// directory.
bool zq_state_file_exists(const char* name);
// Deletes the file of that name. Returns whether it is gone.
bool zq_remove_state_file(const char* name);
