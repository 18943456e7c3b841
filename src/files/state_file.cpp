// The state file's writer and reader. A file is built and taken apart whole
// in one image buffer, so a read that fails for any reason changes nothing.
#include "files/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "files/paths.h"
#include "files/save_file.h"
#include "interp/command_table.h"
#include "interp/labels.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "state/alpha.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/stats.h"

namespace {

// Layout: fields follow one another without padding; every multi-byte field
// is little-endian, a number is the raw 64 bits of its cell, a tag one byte.
//
//   header    0  version (8)  8  content mask (8)
//   status   16  flags (8)  24  statistics base (8)  32  alpha (24)
//                56  LASTX, X, Y, Z, T: value (8) then tag (1) each
//               101  SIZE (8)                                       93 bytes
//   data    109  values of R00..R999 (8 each), then their tags (1 each)
//                                                                  9000 bytes
//   program 9109  final-END address (8), then words 1..65535 (4 each)
//                                                                262148 bytes
//
// The offsets are those of a write-all file: an absent section takes no room.

constexpr int zq_stack_cells = CELL_T - CELL_L + 1;    // LASTX, X, Y, Z, T
constexpr int64_t zq_stored_words = zq_prog_size - 1;  // word 0 holds no step

// What a state file carries, on its way between the live state and bytes.
struct zq_state_record {
  uint64_t flags;
  int64_t stat_base;
  char alpha[zq_alpha_size];
  uint64_t stack_values[zq_stack_cells];
  uint8_t stack_tags[zq_stack_cells];
  int64_t size;
  uint64_t register_values[zq_data_register_count];
  uint8_t register_tags[zq_data_register_count];
  int64_t final_end;
  uint32_t words[zq_stored_words];
};

static_assert(zq_state_status_size == 8 + 8 + zq_alpha_size + zq_stack_cells * (8 + 1) + 8);
static_assert(zq_state_data_size == zq_data_register_count * (8 + 1));
static_assert(zq_state_program_size == 8 + zq_stored_words * 4);

// Static, like all state: a write-all file's worth of each, used by one call at a time.
zq_state_record zq_record;
uint8_t zq_image[zq_state_all_file_size];

// Puts each field into the image, lowest byte first.
struct zq_state_packer {
  uint8_t* at;
  template <typename T>
  void field(const T& value) {
    const uint64_t bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < sizeof(T); ++i) *at++ = static_cast<uint8_t>(bits >> (8 * i));
  }
  void block(const char* bytes, size_t count) {
    std::memcpy(at, bytes, count);
    at += count;
  }
};

// Takes each field out of the image, lowest byte first.
struct zq_state_unpacker {
  const uint8_t* at;
  template <typename T>
  void field(T& value) {
    uint64_t bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits |= uint64_t{*at++} << (8 * i);
    value = static_cast<T>(bits);
  }
  void block(char* bytes, size_t count) {
    std::memcpy(bytes, at, count);
    at += count;
  }
};

// The sections of mask after the header, in layout order; the one place that
// knows the order, for packing and unpacking alike.
template <typename Codec, typename Record>
void zq_state_fields(Codec& codec, Record& record, uint64_t mask) {
  if (mask & MEM_STATUS) {
    codec.field(record.flags);
    codec.field(record.stat_base);
    codec.block(record.alpha, sizeof record.alpha);
    for (int i = 0; i < zq_stack_cells; ++i) {
      codec.field(record.stack_values[i]);
      codec.field(record.stack_tags[i]);
    }
    codec.field(record.size);
  }
  if (mask & MEM_DATA) {
    for (auto& value : record.register_values) codec.field(value);
    for (auto& tag : record.register_tags) codec.field(tag);
  }
  if (mask & MEM_PROGRAM) {
    codec.field(record.final_end);
    for (auto& word : record.words) codec.field(word);
  }
}

int64_t zq_state_body_size(uint64_t mask) {
  return ((mask & MEM_STATUS) ? zq_state_status_size : 0) + ((mask & MEM_DATA) ? zq_state_data_size : 0) +
         ((mask & MEM_PROGRAM) ? zq_state_program_size : 0);
}

void zq_capture_state(zq_state_record& record) {
  record.flags = zq_flags;
  record.stat_base = zq_stat_base;
  std::memcpy(record.alpha, zq_alpha, sizeof record.alpha);
  for (int i = 0; i < zq_stack_cells; ++i) {
    record.stack_values[i] = zq_regs[CELL_L + i];
    record.stack_tags[i] = zq_reg_types[CELL_L + i];
  }
  record.size = zq_size;
  std::memcpy(record.register_values, zq_regs + CELL_R00, sizeof record.register_values);
  std::memcpy(record.register_tags, zq_reg_types + CELL_R00, sizeof record.register_tags);
  record.final_end = zq_final_end;
  std::memcpy(record.words, zq_prog + 1, sizeof record.words);
}

bool zq_tag_valid(uint8_t tag) {
  return tag == REG_NUMBER || tag == REG_HMS || tag == REG_ALPHA || tag == REG_FLAGS;
}

// Whether text is NUL-padded: a character hidden after its end would come
// back when the text grows.
bool zq_text_padded(const char* text, size_t size) {
  const char* end = static_cast<const char*>(std::memchr(text, '\0', size));
  return !end || std::all_of(end, text + size, [](char c) { return c == '\0'; });
}

bool zq_cell_valid(uint64_t value, uint8_t tag) {
  if (!zq_tag_valid(tag)) return false;
  char text[sizeof value];
  std::memcpy(text, &value, sizeof text);
  return !zq_tag_is_alpha(tag) || zq_text_padded(text, sizeof text);
}

bool zq_cells_valid(const uint64_t* values, const uint8_t* tags, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    if (!zq_cell_valid(values[i], tags[i])) return false;
  }
  return true;
}

// Whether this calculator could have written the sections of mask: tags of
// the four kinds, texts without characters after their end, a statistics
// block inside the registers, SIZE 1000, and a final END inside memory that
// is marked as one. Anything else would send later commands outside the
// register file or program memory.
bool zq_record_valid(const zq_state_record& record, uint64_t mask) {
  if (mask & MEM_STATUS) {
    if (!zq_stat_base_valid(record.stat_base) || record.size != zq_data_register_count) return false;
    if (!zq_text_padded(record.alpha, sizeof record.alpha)) return false;
    if (!zq_cells_valid(record.stack_values, record.stack_tags, zq_stack_cells)) return false;
  }
  if ((mask & MEM_DATA) &&
      !zq_cells_valid(record.register_values, record.register_tags, zq_data_register_count))
    return false;
  if (mask & MEM_PROGRAM) {
    if (record.final_end < 1 || record.final_end >= zq_prog_size) return false;
    const zq_instr end = zq_instr_unpack(record.words[record.final_end - 1]);
    if (end.cmd != zq_idx_end || !(end.opt & OPT_FINAL_END)) return false;
  }
  return true;
}

// Whether live program memory is laid out as the recorder lays it: steps of
// programmable rows only, each of its own length, one after another up to
// the final END. A step of any other row (run, sst) would call itself when
// stepped or run, and an END of another form would stop every walk early.
bool zq_program_walkable() {
  int64_t address = 1;
  while (address < zq_final_end) {
    const zq_instr in = zq_step_at(address);
    if (!zq_row_exists(in.cmd) || zq_commands[in.cmd].programmable != PROGRAMMABLE) return false;
    const int64_t length = zq_get_step_length(address);
    if (length <= 0) return false;
    address += length;
  }
  return address == zq_final_end;
}

// Puts the record's program section into memory when its steps can be walked;
// otherwise memory is left as it was. The walkers only see live memory, so
// the record and memory change places for the test.
bool zq_adopt_program(zq_state_record& record) {
  const auto swap_with_memory = [&record] {
    std::swap_ranges(record.words, record.words + zq_stored_words, zq_prog + 1);
    std::swap(record.final_end, zq_final_end);
  };
  swap_with_memory();
  if (zq_program_walkable()) return true;
  swap_with_memory();
  return false;
}

// Program memory is already in place (zq_adopt_program).
void zq_commit_state(const zq_state_record& record, uint64_t mask) {
  if (mask & MEM_STATUS) {
    zq_flags = record.flags;
    zq_stat_base = record.stat_base;
    std::memcpy(zq_alpha, record.alpha, sizeof zq_alpha);
    for (int i = 0; i < zq_stack_cells; ++i)
      zq_reg_set(CELL_L + i, record.stack_values[i], record.stack_tags[i]);
    zq_size = record.size;
  }
  if (mask & MEM_DATA) {
    std::memcpy(zq_regs + CELL_R00, record.register_values, sizeof record.register_values);
    std::memcpy(zq_reg_types + CELL_R00, record.register_tags, sizeof record.register_tags);
  }
}

// zq_text := the name as the file commands compose it for a state file.
void zq_compose_state_file_name() {
  zq_text[zq_text_size - 1] = '\0';
  zq_remove_char(zq_text, '"');
  zq_prefix_path();
  zq_fix_path_separators(zq_text);
}

// Only a regular file holds a state. The open does not wait, so a FIFO is
// refused at once, as are a directory (the path prefix alone behind an
// empty name gives one) and a device, which could stream for ever.
FILE* zq_open_for_reading(const char* name) {
  const int descriptor = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat info;
  FILE* file = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) ? fdopen(descriptor, "rb") : nullptr;
  if (!file) close(descriptor);
  return file;
}

// An 8-byte header field; a field cut by the end of the file reads as 0.
uint64_t zq_read_header_field(FILE* file) {
  uint8_t bytes[sizeof(uint64_t)];
  uint64_t value = 0;
  if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return value;
  zq_state_unpacker unpacker{bytes};
  unpacker.field(value);
  return value;
}

// Told by the stored mask, not by the one asked for.
const char* zq_mask_mismatch_message(uint64_t stored) {
  switch (stored) {
    case MEM_ALL: return "Can't read status from write all file.";
    case MEM_STATUS: return "Can't read data/program registers from write status file.";
    default: return "Reading from unknown file type.";
  }
}

}  // namespace

void zq_write_state_file(uint64_t mask) {
  zq_compose_state_file_name();
  FILE* file = zq_save_open(zq_text);
  if (!file) return;
  if (!zq_flag_test(FLAG_QUIET_FILES)) std::printf("Writing %s\n", zq_text);
  zq_capture_state(zq_record);
  zq_state_packer packer{zq_image};
  packer.field(MEM_VERSION);
  packer.field(mask);
  zq_state_fields(packer, std::as_const(zq_record), mask);
  // A short write leaves the stream's error mark: the close then keeps the
  // old file.
  std::fwrite(zq_image, 1, static_cast<size_t>(packer.at - zq_image), file);
  zq_save_close();
}

int64_t zq_read_state_file(uint64_t mask) {
  zq_compose_state_file_name();
  FILE* file = zq_open_for_reading(zq_text);
  if (!file) {
    std::printf("Read file: cannot open %s\n", zq_text);
    return 0;
  }
  if (!zq_flag_test(FLAG_QUIET_FILES)) std::printf("Reading %s\n", zq_text);

  const uint64_t version = zq_read_header_field(file);
  if (version != MEM_VERSION) {
    std::printf("File format version error. Expected %d, read %d.\n", static_cast<int>(MEM_VERSION),
                static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(version))));
    std::fclose(file);
    return 0;
  }
  const uint64_t stored = zq_read_header_field(file);
  if (stored != mask || (stored & ~uint64_t{MEM_ALL}) != 0) {
    std::puts(zq_mask_mismatch_message(stored));
    std::fclose(file);
    return 0;
  }

  // The whole body is read and checked before any of it is used.
  const size_t size = static_cast<size_t>(zq_state_body_size(mask));
  const size_t got = std::fread(zq_image, 1, size, file);
  std::fclose(file);
  if (got != size) {
    std::printf("Read file: %s is too short.\n", zq_text);
    return 0;
  }
  zq_state_unpacker unpacker{zq_image};
  zq_state_fields(unpacker, zq_record, mask);
  if (!zq_record_valid(zq_record, mask) || ((mask & MEM_PROGRAM) && !zq_adopt_program(zq_record))) {
    std::printf("Read file: %s is damaged.\n", zq_text);
    return 0;
  }
  zq_commit_state(zq_record, mask);
  // The stored gto and xeq caches come with the words: no jump resolution.
  if (mask & MEM_PROGRAM) zq_link_labels();
  return 1;
}

bool zq_state_file_exists(const char* name) { return access(name, F_OK) == 0; }

bool zq_remove_state_file(const char* name) { return std::remove(name) == 0; }
