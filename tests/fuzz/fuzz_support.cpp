// The fuzzing harnesses' reset, sandbox and checks. An input may change any
// part of the calculator's state and may write files, run shell commands,
// pause and wait for answers; none of that may outlive it or leave its
// directory, and what it leaves must keep the calculator's promises.
#include "fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "app/main_loop.h"
#include "files/program_file.h"
#include "files/state_file.h"
#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/interrupt.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "state/alpha.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/path_prefix.h"
#include "state/registers.h"
#include "state/stack_display.h"
#include "state/watch.h"

namespace zq_fuzz {
namespace {

// Steps that all the runs of one input may make together: enough for the
// loops of real programs to turn a few times, few enough that a program that
// never ends (perhaps saving the state at every turn) costs little.
constexpr int64_t step_budget = 250;
// Global labels that exercise_memory calls.
constexpr int64_t labels_called = 8;
// Programs whose file round trip check_round_trips makes.
constexpr int programs_saved = 4;
// Typed input is handed over in pieces of 1 to this many bytes.
constexpr size_t longest_piece = 96;
// A FIFO's buffer that takes a whole write-all file between two drains.
constexpr int fifo_capacity = 1 << 20;

constexpr char fixture_program[] = "lbl \"F\"\n2\n*\n\"text\nrtn\nend\n";

char output_buffer[1 << 16];
std::string private_dir;
int home_dir = -1;
// Where the breach of an invariant is told: the standard error libFuzzer has.
FILE* report = nullptr;

// Whether the private directory may differ from its laid-out form.
bool files_written = true;
// The read end of fifo-read, held open so that a writer finds a reader.
int fifo_reader = -1;
// The process's signal mask and interrupt action before any input.
sigset_t start_mask;
struct sigaction start_interrupt;

// The input, as typed on standard input or as the content of input_file_name.
offer input_offer = offer::AS_FILE;
const uint8_t* input_data = nullptr;
size_t input_size = 0;
size_t input_pad = 0;
size_t typed_read = 0;
uint64_t piece_seed = 0;

// What the state that initialisation leaves alone held at process start.
struct start_values {
  uint8_t xeq_push;
  uint32_t parse_state_saved;
  uint64_t arg_kind_saved;
  zq_instr decoded_saved;
};
start_values at_start;

std::string valid_all;
std::string valid_status;

[[noreturn]] void breach(const char* what, const std::string& before = {}, const std::string& after = {}) {
  std::fprintf(report, "==fuzz== invariant broken: %s\n", what);
  if (!before.empty() || !after.empty())
    std::fprintf(report, "==fuzz== before:\n%s\n==fuzz== after:\n%s\n", before.c_str(), after.c_str());
  std::fflush(report);
  std::abort();
}

void remove_tree(int parent, const char* name);

// Removes everything in the folder, recursively; links are not followed.
void empty_folder(int folder) {
  DIR* dir = fdopendir(folder);
  if (dir == nullptr) {
    close(folder);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    remove_tree(dirfd(dir), entry->d_name);
  }
  closedir(dir);
}

void remove_tree(int parent, const char* name) {
  if (unlinkat(parent, name, 0) == 0) return;
  const int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (folder < 0) return;
  fchmod(folder, 0700);
  empty_folder(folder);
  unlinkat(parent, name, AT_REMOVEDIR);
}

void remove_private_files() {
  const int folder = open(private_dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (folder >= 0) empty_folder(folder);
}

void remove_private_dir() {
  remove_private_files();
  rmdir(private_dir.c_str());
}

void write_whole(const char* name, const void* bytes, size_t size, mode_t mode) {
  const int descriptor = open(name, O_WRONLY | O_CREAT | O_TRUNC, mode);
  if (descriptor < 0 || write(descriptor, bytes, size) != static_cast<ssize_t>(size)) std::abort();
  close(descriptor);
}

void drain_fifo() {
  if (fifo_reader < 0) return;
  char buffer[1 << 16];
  while (read(fifo_reader, buffer, sizeof buffer) > 0) {
  }
}

// The private directory as every input finds it (the working directory).
// Every link names an entry at its top: a name's depth counted by its parts
// is then its depth on the disk, which is what refused() relies on.
void lay_out_fixtures() {
  if (fifo_reader >= 0) close(fifo_reader);
  fifo_reader = -1;
  remove_private_files();
  write_whole("plain.txt", fixture_program, sizeof fixture_program - 1, 0644);
  if (mkdir("sub", 0755) != 0 || mkdir("folder.mem", 0755) != 0) std::abort();
  write_whole("sub/prog.txt", fixture_program, sizeof fixture_program - 1, 0644);
  if (!valid_all.empty()) write_whole("sub/state.mem", valid_all.data(), valid_all.size(), 0644);
  write_whole("readonly.txt", fixture_program, sizeof fixture_program - 1, 0444);
  if (symlink("plain.txt", "link-file") != 0 || symlink("sub", "link-sub") != 0 ||
      symlink("missing", "link-dangling") != 0 || symlink("link-loop", "link-loop") != 0)
    std::abort();
  if (mkfifo("fifo", 0644) != 0 || mkfifo("fifo-read", 0644) != 0) std::abort();
  fifo_reader = open("fifo-read", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fifo_reader < 0) std::abort();
  fcntl(fifo_reader, F_SETPIPE_SZ, fifo_capacity);
  files_written = false;
}

// Refuses a name that could lead out of the private directory: an absolute
// one, or one whose ".." parts climb above it.
bool refused(const char* name) {
  bool outside = name[0] == '/';
  int depth = 0;
  for (const char* part = name; !outside && *part != '\0';) {
    const char* end = std::strchr(part, '/');
    const size_t length = end ? static_cast<size_t>(end - part) : std::strlen(part);
    if (length == 2 && part[0] == '.' && part[1] == '.') {
      outside = --depth < 0;
    } else if (length > 0 && !(length == 1 && part[0] == '.')) {
      ++depth;
    }
    part += length + (end ? 1 : 0);
  }
  if (outside) errno = EACCES;
  return outside;
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

// The length of the next piece of typed input (xorshift on the input's
// own hash, so that a reproducer replays the same pieces).
size_t next_piece() {
  piece_seed ^= piece_seed << 13;
  piece_seed ^= piece_seed >> 7;
  piece_seed ^= piece_seed << 17;
  return 1 + static_cast<size_t>(piece_seed % longest_piece);
}

// A blocking open of a FIFO that waits for the other end, which nobody in
// the sandbox will ever open, ends as the user ends it: the interrupt goes to
// the calculator's handler where a run has one in place; otherwise the
// interrupt, or the kill that follows it when signals are held, ends the
// process.
void interrupt_wait() {
  struct sigaction action {};
  sigaction(SIGINT, nullptr, &action);
  sigset_t held;
  sigprocmask(SIG_BLOCK, nullptr, &held);
  if (action.sa_handler == zq_sigint_handler && sigismember(&held, SIGINT) == 0) {
    zq_sigint_handler(SIGINT);
    errno = EINTR;
    return;
  }
  throw process_end{};
}

// open(2) as the kernel does it, but for the endless wait of a FIFO. A write
// waits for a reader; a read waits for a writer, and the sandbox holds none.
int open_checked(const char* name, int flags, mode_t mode) {
  struct stat info;
  const int access_mode = flags & O_ACCMODE;
  if ((flags & O_NONBLOCK) || access_mode == O_RDWR || stat(name, &info) != 0 || !S_ISFIFO(info.st_mode))
    return open(name, flags, mode);
  if (access_mode == O_WRONLY) {
    const int descriptor = open(name, flags | O_NONBLOCK, mode);
    if (descriptor >= 0) {
      fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
      return descriptor;
    }
    if (errno != ENXIO) return -1;
  }
  interrupt_wait();
  return -1;
}

// fopen(3) through open_checked.
FILE* fopen_checked(const char* name, const char* mode) {
  const bool update = std::strchr(mode, '+') != nullptr;
  int flags = update ? O_RDWR : O_WRONLY;
  if (mode[0] == 'r') flags = update ? O_RDWR : O_RDONLY;
  if (mode[0] == 'w') flags |= O_CREAT | O_TRUNC;
  if (mode[0] == 'a') flags |= O_CREAT | O_APPEND;
  const int descriptor = open_checked(name, flags, 0666);
  if (descriptor < 0) return nullptr;
  FILE* file = fdopen(descriptor, mode);
  if (file == nullptr) close(descriptor);
  return file;
}

// The stack display, as prstk prints it.
std::string stack_display() {
  char* text = nullptr;
  size_t size = 0;
  FILE* shown = open_memstream(&text, &size);
  if (shown == nullptr) std::abort();
  std::fflush(stdout);
  FILE* kept = stdout;
  stdout = shown;
  zq_print_stack_display();
  stdout = kept;
  std::fclose(shown);
  std::string result(text, size);
  std::free(text);
  return result;
}

// The listing of the program from address through its END.
std::string program_listing(int64_t address) {
  char* text = nullptr;
  size_t size = 0;
  FILE* listed = open_memstream(&text, &size);
  if (listed == nullptr) std::abort();
  pc = address;
  zq_decoded.add = 0;
  zq_list_program(listed);
  std::fclose(listed);
  std::string result(text, size);
  std::free(text);
  return result;
}

// A whole state file, as read into one of two buffers kept for the process:
// a string made afresh for each would cost more than the calculator's work.
struct file_image {
  char bytes[zq_state_all_file_size + 1];
  size_t size;

  bool operator==(const file_image& other) const {
    return size == other.size && std::memcmp(bytes, other.bytes, size) == 0;
  }
};
file_image written_first;
file_image written_second;

void read_image(const char* name, file_image& image) {
  image.size = 0;
  const int descriptor = open(name, O_RDONLY);
  if (descriptor < 0) return;
  ssize_t got = 0;
  while (image.size < sizeof image.bytes &&
         (got = read(descriptor, image.bytes + image.size, sizeof image.bytes - image.size)) > 0)
    image.size += static_cast<size_t>(got);
  close(descriptor);
}

std::string file_content(const char* name) {
  read_image(name, written_first);
  return {written_first.bytes, written_first.size};
}

// What the stack display depends on beyond the state file: the display
// modes and the watch list.
struct display_modes {
  uint8_t angle, format, digits, clock;
  int64_t watch[zq_watch_size];
  int64_t watch_count;
  int64_t suppress;

  static display_modes now() {
    display_modes modes{zq_angle, zq_disp_format, zq_digits,          zq_clock_mode,
                        {},       zq_watch_count, zq_suppress_display};
    std::memcpy(modes.watch, zq_watch, sizeof modes.watch);
    return modes;
  }
  void put_back() const {
    zq_angle = angle;
    zq_disp_format = format;
    zq_digits = digits;
    zq_clock_mode = clock;
    std::memcpy(zq_watch, watch, sizeof zq_watch);
    zq_watch_count = watch_count;
    zq_suppress_display = suppress;
  }
};

// The calculator as a new process finds it, with the display modes of
// before and file names taken as given.
void fresh_start(const display_modes& modes) {
  reset();
  modes.put_back();
  std::memset(zq_path, 0, sizeof zq_path);
}

void write_state(const char* name, uint64_t mask) {
  std::memset(zq_path, 0, sizeof zq_path);
  std::snprintf(zq_text, zq_text_size, "%s", name);
  zq_write_state_file(mask);
}

void check_state_round_trip(uint64_t mask, const char* first, const char* second) {
  // The watch list shows data registers, which a status file does not hold.
  if (mask == MEM_STATUS) zq_watch_count = 0;
  const display_modes modes = display_modes::now();
  const std::string shown = stack_display();
  write_state(first, mask);
  read_image(first, written_first);
  if (written_first.size == 0) breach("a state file was not written");
  fresh_start(modes);
  std::snprintf(zq_text, zq_text_size, "%s", first);
  if (zq_read_state_file(mask) != 1) breach("a state file just written cannot be read");
  const std::string shown_again = stack_display();
  if (shown_again != shown) breach("a state file read back shows another stack", shown, shown_again);
  write_state(second, mask);
  read_image(second, written_second);
  if (!(written_second == written_first)) breach("a state file read back is written differently");
  unlink(first);
  unlink(second);
}

// The address of each program's first line, up to programs_saved of them.
int64_t program_starts(int64_t (&starts)[programs_saved]) {
  int64_t count = 0;
  int64_t address = 1;
  while (address < zq_final_end && count < programs_saved) {
    starts[count++] = address;
    while (address < zq_final_end && !zq_is_end_at(address)) address += zq_get_step_length(address);
    if (address < zq_final_end) ++address;
  }
  return count;
}

// Saves the program from address as savep does; returns its listing.
std::string save_program(int64_t address, const char* name) {
  const std::string listed = program_listing(address);
  unlink(name);
  std::memset(zq_path, 0, sizeof zq_path);
  pc = address;
  zq_write_program_file(name);
  return listed;
}

void check_program_loads(const char* name, const std::string& listed) {
  fresh_start(display_modes::now());
  std::snprintf(zq_text, zq_text_size, "%s", name);
  zq_load_program_file(1);
  const std::string listed_again = program_listing(1);
  if (listed_again != listed)
    breach("a program saved and loaded again lists differently", listed, listed_again);
  unlink(name);
}

// Whether the text is NUL-padded: no character after its first NUL.
bool padded(const char* text, size_t size) {
  const char* end = static_cast<const char*>(std::memchr(text, '\0', size));
  return end == nullptr || std::all_of(end, text + size, [](char c) { return c == '\0'; });
}

bool tag_known(uint8_t tag) {
  return tag == REG_NUMBER || tag == REG_HMS || tag == REG_ALPHA || tag == REG_FLAGS;
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
  const int report_descriptor = dup(STDERR_FILENO);
  report = report_descriptor >= 0 ? fdopen(report_descriptor, "w") : nullptr;
  if (report == nullptr) std::abort();
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
  // As the kernel names it, so that folder descriptors can be placed in it.
  char* real = realpath(pattern.c_str(), nullptr);
  if (real == nullptr) std::abort();
  private_dir = real;
  std::free(real);
  home_dir = open(".", O_RDONLY | O_DIRECTORY);
  if (home_dir < 0) std::abort();
  std::atexit(remove_private_dir);
  sigprocmask(SIG_BLOCK, nullptr, &start_mask);
  sigaction(SIGINT, nullptr, &start_interrupt);

  // The valid state files: a program, a number, a text and a register.
  if (chdir(private_dir.c_str()) != 0) std::abort();
  lay_out_fixtures();
  reset();
  std::snprintf(zq_text, zq_text_size, "plain.txt");
  zq_load_program_file(1);
  zq_reg_set_number(CELL_X, zqm_k_12);
  zq_reg_set_number(CELL_R00 + 5, zqm_k_pi);
  std::memcpy(zq_alpha, "HELLO", 5);
  write_state("valid-all.mem", MEM_ALL);
  write_state("valid-status.mem", MEM_STATUS);
  valid_all = file_content("valid-all.mem");
  valid_status = file_content("valid-status.mem");
  if (valid_all.size() != static_cast<size_t>(zq_state_all_file_size) ||
      valid_status.size() != static_cast<size_t>(zq_state_status_file_size))
    std::abort();
  lay_out_fixtures();
  if (fchdir(home_dir) != 0) std::abort();
}

void begin_input(const uint8_t* data, size_t size, offer how, size_t pad) {
  input_offer = how;
  input_data = data;
  input_size = size;
  input_pad = pad;
  typed_read = 0;
  piece_seed = 0x9e3779b97f4a7c15u ^ size;
  for (size_t i = 0; i < std::min<size_t>(size, 64); ++i) piece_seed = piece_seed * 31 + data[i];
  if (piece_seed == 0) piece_seed = 1;
  // Names without a directory, as the calculator gives them, land there.
  if (chdir(private_dir.c_str()) != 0) std::abort();
  if (files_written) lay_out_fixtures();
  reset();
}

void end_input() {
  drain_fifo();
  if (fchdir(home_dir) != 0) std::abort();
}

void after_process_end() {
  sigprocmask(SIG_SETMASK, &start_mask, nullptr);
  sigaction(SIGINT, &start_interrupt, nullptr);
  files_written = true;
}

void lay_file(const char* name, const std::string& content) {
  files_written = true;
  write_whole(name, content.data(), content.size(), 0644);
}

const std::string& valid_state_file(bool all) { return all ? valid_all : valid_status; }

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

void check_invariants() {
  for (zq_cell_index cell = CELL_L; cell <= CELL_LAST; ++cell) {
    const uint8_t tag = zq_reg_types[cell];
    if (!tag_known(tag)) breach("a register holds an unknown tag");
    if (zq_tag_is_alpha(tag)) {
      char text[sizeof zq_regs[cell]];
      std::memcpy(text, &zq_regs[cell], sizeof text);
      if (!padded(text, sizeof text)) breach("a text cell holds characters after its end");
    }
  }
  if (!padded(zq_alpha, sizeof zq_alpha)) breach("the alpha register holds characters after its end");

  if (zq_final_end < 1 || zq_final_end >= zq_prog_size) breach("the final END lies outside program memory");
  int64_t address = 1;
  while (address < zq_final_end) {
    const zq_instr step = zq_step_at(address);
    if (!zq_row_exists(step.cmd) || zq_commands[step.cmd].programmable != PROGRAMMABLE ||
        !zq_step_has_layout(address))
      breach("program memory holds a step that no recording makes");
    if (step.cmd == zq_idx_end && (step.opt & OPT_FINAL_END)) breach("a final END stands before the last");
    const int64_t length = zq_get_step_length(address);
    if (length <= 0) breach("program memory holds a step of no length");
    address += length;
  }
  const zq_instr last = zq_step_at(zq_final_end);
  if (address != zq_final_end || last.cmd != zq_idx_end || !(last.opt & OPT_FINAL_END))
    breach("the steps do not lead to the final END");

  if (zq_ret_depth < 0 || zq_ret_depth >= zq_ret_size) breach("the return stack is deeper than its slots");
}

void check_round_trips() {
  // Typed commands are executed at once after any start.
  zq_mode = MODE_IMMEDIATE;
  check_state_round_trip(MEM_ALL, "round-trip-1.mem", "round-trip-2.mem");
  // The programs as read back: each saved and its listing kept, then each
  // loaded alone after a fresh start.
  static constexpr const char* program_names[programs_saved] = {"round-trip-1.txt", "round-trip-2.txt",
                                                                "round-trip-3.txt", "round-trip-4.txt"};
  int64_t starts[programs_saved];
  std::string listings[programs_saved];
  const int64_t count = program_starts(starts);
  for (int64_t i = 0; i < count; ++i) listings[i] = save_program(starts[i], program_names[i]);
  check_state_round_trip(MEM_STATUS, "round-trip-1.sts", "round-trip-2.sts");
  for (int64_t i = 0; i < count; ++i) check_program_loads(program_names[i], listings[i]);
  files_written = true;
}

}  // namespace zq_fuzz

// The calculator's calls that reach beyond it, renamed in its library by
// tests/fuzz/sandbox.sh. It works in the private directory, where a name may
// lead into folders but not out (refused); shell commands do nothing,
// pauses end at once, and an exit ends the input.
using zq_fuzz::refused;

// Standard input is what the input types, in short pieces, or nothing.
extern "C" ssize_t zq_sandbox_read(int descriptor, void* buffer, size_t count) {
  using namespace zq_fuzz;
  if (descriptor != STDIN_FILENO) return read(descriptor, buffer, count);
  if (input_offer != offer::AS_TYPED) return 0;
  const size_t n = std::min({count, input_size - typed_read, next_piece()});
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
  drain_fifo();
  if (!reading) files_written = true;
  return fopen_checked(name, mode);
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
  // A save's look at the name as the kernel resolves it: no file is opened,
  // so no FIFO waits and the input's own name stays a name.
  if (flags & O_PATH) return refused(name) ? -1 : open(name, flags);
  const bool reading = (flags & (O_WRONLY | O_RDWR | O_CREAT)) == 0;
  if (reading && input_offer == offer::AS_FILE && std::strcmp(name, input_file_name) == 0) {
    return open_bytes_descriptor(input_data, input_size, input_pad);
  }
  if (refused(name)) return -1;
  drain_fifo();
  if (!reading) files_written = true;
  return open_checked(name, flags, mode);
}

extern "C" int zq_sandbox_remove(const char* name) {
  if (refused(name)) return -1;
  zq_fuzz::files_written = true;
  return std::remove(name);
}

extern "C" int zq_sandbox_access(const char* name, int how) { return refused(name) ? -1 : access(name, how); }

extern "C" DIR* zq_sandbox_opendir(const char* name) { return refused(name) ? nullptr : opendir(name); }

// A command processor is there, and every command it is given does nothing.
extern "C" int zq_sandbox_system(const char* command) { return command == nullptr ? 1 : 0; }

extern "C" unsigned int zq_sandbox_sleep(unsigned int) { return 0; }

// The process would end here; the input ends instead.
extern "C" [[noreturn]] void zq_sandbox_exit(int) { throw zq_fuzz::process_end{}; }

// The calls that a save makes relative to the folder of its target. A name
// looked up from a folder descriptor is checked as the same name relative
// to the private directory, the folder's own place in it put in front (as
// the kernel gives it, links resolved).
namespace zq_fuzz {
namespace {

bool refused_at(int folder, const char* name) {
  if (folder == AT_FDCWD || name[0] == '/') return refused(name);
  char link[32];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", folder);
  char path[PATH_MAX];
  const ssize_t length = readlink(link, path, sizeof path - 1);
  const size_t root = private_dir.size();
  if (length < 0 || std::strncmp(path, private_dir.c_str(), root) != 0 ||
      (static_cast<size_t>(length) > root && path[root] != '/')) {
    errno = EACCES;
    return true;
  }
  path[length] = '\0';
  const std::string relative = "." + std::string(path + root) + "/" + name;
  return refused(relative.c_str());
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
  zq_fuzz::drain_fifo();
  if (flags & (O_WRONLY | O_RDWR | O_CREAT)) zq_fuzz::files_written = true;
  return openat(folder, name, flags, mode);
}

extern "C" int zq_sandbox_renameat(int from_folder, const char* from, int to_folder, const char* to) {
  using zq_fuzz::refused_at;
  if (refused_at(from_folder, from) || refused_at(to_folder, to)) return -1;
  zq_fuzz::files_written = true;
  return renameat(from_folder, from, to_folder, to);
}

extern "C" int zq_sandbox_unlinkat(int folder, const char* name, int flags) {
  if (zq_fuzz::refused_at(folder, name)) return -1;
  zq_fuzz::files_written = true;
  return unlinkat(folder, name, flags);
}
