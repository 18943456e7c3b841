// The fuzzing harnesses' reset and sandbox. An input may change any part of
// the calculator's state and may write files, run shell commands, pause and
// wait for answers; none of that may outlive it or leave its directory.
#include "fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/interrupt.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/watch.h"

namespace zq_fuzz {
namespace {

// Steps that all the runs of one input may make together: enough for the
// loops of real programs to turn a few times, few enough that a program that
// never ends (perhaps saving the state at every turn) costs little.
constexpr int64_t step_budget = 250;
// Global labels that exercise_memory calls.
constexpr int64_t labels_called = 8;

char output_buffer[1 << 16];
std::string private_dir;
int home_dir = -1;

bool files_written = false;
// The input, as typed on standard input or as the content of input_file_name.
offer input_offer = offer::AS_FILE;
const uint8_t* input_data = nullptr;
size_t input_size = 0;
size_t input_pad = 0;
size_t typed_read = 0;

// What the state that initialisation leaves alone held at process start.
struct start_values {
  uint8_t xeq_push;
  uint32_t parse_state_saved;
  uint64_t arg_kind_saved;
  zq_instr decoded_saved;
};
start_values at_start;

void remove_private_files() {
  DIR* dir = opendir(private_dir.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

void remove_private_dir() {
  remove_private_files();
  rmdir(private_dir.c_str());
}

// Refuses a name that could lead out of the private directory: anything
// with a separator.
bool refused(const char* name) {
  if (std::strchr(name, '/') == nullptr) return false;
  errno = EACCES;
  return true;
}

// The process-start state, as the unit tests reach it, and the few values
// that no start sets because a new process finds them so.
void reset() {
  zq_clear_program_memory();
  zq_init_at_start();
  zq_mode = MODE_IMMEDIATE;

  zq_regs[CELL_LITERAL] = 0;
  zq_reg_types[CELL_LITERAL] = 0;
  zq_temp = 0;
  zq_temp_type = 0;
  std::memset(zq_ret, 0, sizeof zq_ret);
  std::memset(zq_watch, 0, sizeof zq_watch);
  std::memset(zq_text, 0, sizeof zq_text);
  zq_xeq_push = at_start.xeq_push;
  zq_decoded_saved = at_start.decoded_saved;
  zq_parse_state_saved = at_start.parse_state_saved;
  zq_arg_kind_saved = at_start.arg_kind_saved;
  zq_sigint_flag = 0;
  zq_run_step_budget = step_budget;
}

struct byte_source {
  const uint8_t* data;
  size_t size;
  size_t pad;
  size_t at;
};

ssize_t read_bytes(void* cookie, char* buffer, size_t count) {
  auto* source = static_cast<byte_source*>(cookie);
  const size_t total = source->size + source->pad;
  const size_t n = std::min(count, total - source->at);
  const size_t from_data = source->at < source->size ? std::min(n, source->size - source->at) : 0;
  if (from_data > 0) std::memcpy(buffer, source->data + source->at, from_data);
  std::memset(buffer + from_data, 0, n - from_data);
  source->at += n;
  return static_cast<ssize_t>(n);
}

int close_bytes(void* cookie) {
  delete static_cast<byte_source*>(cookie);
  return 0;
}

// A stream that reads data and then pad zero bytes.
FILE* open_bytes(const uint8_t* data, size_t size, size_t pad) {
  auto* source = new byte_source{data, size, pad, 0};
  FILE* file = fopencookie(source, "r", {read_bytes, nullptr, nullptr, close_bytes});
  if (file == nullptr) delete source;
  return file;
}

// The same bytes behind a descriptor, for a reader that opens one.
int open_bytes_descriptor(const uint8_t* data, size_t size, size_t pad) {
  const int descriptor = memfd_create(input_file_name, MFD_CLOEXEC);
  if (descriptor < 0) return -1;
  if (write(descriptor, data, size) != static_cast<ssize_t>(size) ||
      ftruncate(descriptor, static_cast<off_t>(size + pad)) != 0 || lseek(descriptor, 0, SEEK_SET) != 0) {
    close(descriptor);
    return -1;
  }
  return descriptor;
}

}  // namespace

void setup() {
  at_start = {zq_xeq_push, zq_parse_state_saved, zq_arg_kind_saved, zq_decoded_saved};
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
  // The calculator's own messages to standard error go the same way; libFuzzer
  // and the sanitizers report through the stream or descriptor they started with.
  FILE* quiet = std::fopen("/dev/null", "w");
  if (quiet == nullptr) std::abort();
  stderr = quiet;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/zq-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  private_dir = pattern;
  home_dir = open(".", O_RDONLY | O_DIRECTORY);
  if (home_dir < 0) std::abort();
  std::atexit(remove_private_dir);
}

void begin_input(const uint8_t* data, size_t size, offer how, size_t pad) {
  input_offer = how;
  input_data = data;
  input_size = size;
  input_pad = pad;
  typed_read = 0;
  files_written = false;
  // Names without a directory, as the calculator gives them, land there.
  if (chdir(private_dir.c_str()) != 0) std::abort();
  reset();
}

void end_input() {
  if (files_written) remove_private_files();
  if (fchdir(home_dir) != 0) std::abort();
}

void execute(int32_t cmd, uint8_t opt, uint16_t add) {
  // After an error stop, the first command only ends the stop.
  if (zq_mode != MODE_IMMEDIATE) {
    zq_reset_decoded();
    zq_execute();
  }
  zq_decoded.cmd = cmd;
  zq_decoded.opt = opt;
  zq_decoded.add = add;
  zq_execute();
}

void exercise_memory() {
  int64_t address = 1;
  while (address < zq_final_end) {
    pc = address;
    zq_decoded.add = 0;
    zq_list_program(nullptr);
    while (address < zq_final_end && !zq_is_end_at(address)) address += zq_get_step_length(address);
    if (address < zq_final_end) ++address;
  }

  pc = 1;
  char run[] = "run";
  execute(zq_find_command(run), 0, 0);
  const int64_t count = std::min(zq_label_count, labels_called);
  for (int64_t i = 0; i < count; ++i) {
    std::memset(zq_text, 0, sizeof zq_text);
    std::memcpy(zq_text, zq_labels[i], zq_label_name_size);
    execute(zq_idx_xeq, OPT_STR, 0);
  }
}

}  // namespace zq_fuzz

// The calculator's calls that reach beyond it, renamed in its library by
// tests/fuzz/sandbox.sh. It works in the private directory; a name with a
// separator could lead out of it and is refused, shell commands do nothing
// and pauses end at once.
using zq_fuzz::refused;

// Standard input is what the input types, or nothing.
extern "C" ssize_t zq_sandbox_read(int descriptor, void* buffer, size_t count) {
  using namespace zq_fuzz;
  if (descriptor != STDIN_FILENO) return read(descriptor, buffer, count);
  if (input_offer != offer::AS_TYPED) return 0;
  const size_t n = std::min(count, input_size - typed_read);
  if (n > 0) std::memcpy(buffer, input_data + typed_read, n);
  typed_read += n;
  return static_cast<ssize_t>(n);
}

extern "C" FILE* zq_sandbox_fopen(const char* name, const char* mode) {
  using namespace zq_fuzz;
  const bool reading = std::strcmp(mode, "r") == 0 || std::strcmp(mode, "rb") == 0;
  if (reading && input_offer == offer::AS_FILE && std::strcmp(name, input_file_name) == 0) {
    return open_bytes(input_data, input_size, input_pad);
  }
  if (refused(name)) return nullptr;
  if (!reading) files_written = true;
  return std::fopen(name, mode);
}

extern "C" int zq_sandbox_open(const char* name, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list rest;
    va_start(rest, flags);
    mode = static_cast<mode_t>(va_arg(rest, int));
    va_end(rest);
  }
  using namespace zq_fuzz;
  const bool reading = (flags & (O_WRONLY | O_RDWR | O_CREAT)) == 0;
  if (reading && input_offer == offer::AS_FILE && std::strcmp(name, input_file_name) == 0) {
    return open_bytes_descriptor(input_data, input_size, input_pad);
  }
  if (refused(name)) return -1;
  if (!reading) files_written = true;
  return open(name, flags, mode);
}

extern "C" int zq_sandbox_mkostemp(char* name, int flags) {
  if (refused(name)) return -1;
  zq_fuzz::files_written = true;
  return mkostemp(name, flags);
}

extern "C" int zq_sandbox_rename(const char* from, const char* to) {
  return refused(from) || refused(to) ? -1 : std::rename(from, to);
}

extern "C" int zq_sandbox_unlink(const char* name) { return refused(name) ? -1 : unlink(name); }

extern "C" int zq_sandbox_remove(const char* name) { return refused(name) ? -1 : std::remove(name); }

extern "C" int zq_sandbox_access(const char* name, int how) { return refused(name) ? -1 : access(name, how); }

extern "C" DIR* zq_sandbox_opendir(const char* name) { return refused(name) ? nullptr : opendir(name); }

// A command processor is there, and every command it is given does nothing.
extern "C" int zq_sandbox_system(const char* command) { return command == nullptr ? 1 : 0; }

extern "C" unsigned int zq_sandbox_sleep(unsigned int) { return 0; }

// The calls that a save makes relative to the folder of its target: names
// without a separator, in the working directory or in a folder descriptor
// that is the working directory.
namespace zq_fuzz {
namespace {

bool refused_at(int folder, const char* name) {
  if (folder != AT_FDCWD) {
    struct stat here;
    struct stat there;
    if (stat(".", &here) != 0 || fstat(folder, &there) != 0 || here.st_dev != there.st_dev ||
        here.st_ino != there.st_ino) {
      errno = EACCES;
      return true;
    }
  }
  return refused(name);
}

}  // namespace
}  // namespace zq_fuzz

extern "C" int zq_sandbox_openat(int folder, const char* name, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list rest;
    va_start(rest, flags);
    mode = static_cast<mode_t>(va_arg(rest, int));
    va_end(rest);
  }
  if (zq_fuzz::refused_at(folder, name)) return -1;
  if (flags & (O_WRONLY | O_RDWR | O_CREAT)) zq_fuzz::files_written = true;
  return openat(folder, name, flags, mode);
}

extern "C" int zq_sandbox_renameat(int from_folder, const char* from, int to_folder, const char* to) {
  using zq_fuzz::refused_at;
  return refused_at(from_folder, from) || refused_at(to_folder, to)
             ? -1
             : renameat(from_folder, from, to_folder, to);
}

extern "C" int zq_sandbox_unlinkat(int folder, const char* name, int flags) {
  return zq_fuzz::refused_at(folder, name) ? -1 : unlinkat(folder, name, flags);
}
