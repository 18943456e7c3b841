// Command-line options, the welcome sequence, the loop over typed lines and
// the exit save.
#include "app/main_loop.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands/info.h"
#include "commands/xail.h"
#include "files/program_file.h"
#include "files/state_file.h"
#include "interp/executor.h"
#include "interp/init.h"
#include "interp/input.h"
#include "interp/labels.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "interp/words.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/stack_display.h"

int32_t zq_restored = 0;
uint8_t zq_autorun = 0;

namespace {

constexpr int zq_line_size = 256;
constexpr int zq_word_size = 256;
constexpr const char* zq_state_file_name = "zq17.mem";

// zq_text := text, NUL-padded; callers pass texts shorter than the buffer.
void zq_set_text(const char* text) { std::strncpy(zq_text, text, zq_text_size); }

// message holds two %s: the program name and the argument.
[[noreturn]] void zq_refuse_option(const char* message, const char* program, const char* arg) {
  fprintf(stderr, message, program, arg);
  zq_cmd_usage();
  exit(1);
}

}  // namespace

// Program memory is static storage, all zero when the process starts;
// clearing it again would only fault in all of its pages.
void zq_init_at_start() {
  zq_init_state(false);
  // Besides, what clall leaves alone: the state of the line that runs it (and
  // of an xail line or a file load within it), the label catalogue and what
  // the options decided, and typed input. A real start finds all of it at
  // rest already; set here, it makes this the start state from any state,
  // which is where every unit test begins.
  zq_suppress_display = 0;
  zq_skip_pending = 0;
  zq_xail_failed = 0;
  std::memset(zq_labels, 0, sizeof zq_labels);
  zq_label_count = 0;
  zq_program_reader_reset();
  zq_input_reset();
  zq_restored = 0;
  zq_autorun = 0;
}

void zq_apply_options(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] != '-') continue;
    const int letter = std::tolower(static_cast<unsigned char>(arg[1]));
    if (letter == 'i') continue;
    if (letter != 'r' && letter != 'l' && letter != 'x')
      zq_refuse_option("%s: unknown arg %s\n", argv[0], arg);
    if (i + 1 >= argc) zq_refuse_option("%s: no file name after %s\n", argv[0], arg);
    const char* file = argv[++i];
    // The name must fit zq_text with its terminator; a cut name would open
    // some other file.
    if (std::strlen(file) >= static_cast<size_t>(zq_text_size))
      zq_refuse_option("%s: file name too long after %s\n", argv[0], arg);
    zq_set_text(file);
    if (letter == 'r') {
      zq_read_state_file(MEM_ALL);
      // Counts as a restore even when the read failed: that has its own message.
      zq_restored = 1;
      continue;
    }
    if (letter == 'x') zq_autorun = 1;
    zq_load_program_file(1);
    pc = 1;
    zq_alpha_clear();
  }
}

void zq_welcome() {
  if (zq_autorun) return;
  zq_cmd_about();
  zq_startup_restore();
  if (!zq_restored) zq_report_error(ERR_MEMORY_LOST);
  zq_print_stack_display();
}

int zq_main_loop() {
  char line[zq_line_size];
  char word[zq_word_size];
  for (;;) {
    if (zq_quit) break;
    putchar('\n');
    fputs(zq_prompt, stdout);
    putchar(' ');
    if (zq_autorun) {
      snprintf(line, sizeof line, "run\n");
      zq_autorun = 0;
    } else if (!zq_read_line(line, sizeof line)) {
      line[0] = '\0';
    }
    if (line[0] == '\0') {
      zq_print_stack_display();
      break;
    }
    // Only a line feed is dropped: a piece of a long line and a last line
    // without a line feed keep all their characters.
    const size_t length = std::strlen(line);
    if (line[length - 1] == '\n') line[length - 1] = '\0';
    int64_t position = 0;
    for (;;) {
      zq_next_word(line, word, position);
      if (word[0] == '\0') break;
      zq_parse_word(word, sizeof word, 0);
    }
    zq_parse_line_end();
    // In trace mode the parser has shown the stack after each command.
    if (!zq_trace) zq_print_stack_display();
  }
  zq_exit_save();
  return 0;
}

void zq_exit_save() {
  if (!zq_flag_test(FLAG_NO_SAVE)) {
    zq_set_text(zq_state_file_name);
    zq_write_state_file(MEM_ALL);
  }
  puts("Thanks for using ZQ17!");
}

void zq_startup_restore() {
  if (!zq_state_file_exists(zq_state_file_name)) return;
  puts("ZQ17 status and memory file found.  (R)estore, (S)kip loading, or (D)elete file, R/S/D?");
  const char choice = zq_read_answer();
  if (choice == 'R' || choice == 'r') {
    zq_set_text(zq_state_file_name);
    if (zq_read_state_file(MEM_ALL)) {
      puts("Memory and status restored.");
      zq_restored = 1;
    }
    zq_text[0] = '\0';
  } else if (choice == 'D' || choice == 'd') {
    puts("Do you really want to delete the ZQ17 status and memory file (Y)es or (N)o?");
    const char confirm = zq_read_answer();
    // A file that could not be deleted is still there and is not loaded.
    if ((confirm == 'Y' || confirm == 'y') && zq_remove_state_file(zq_state_file_name)) {
      puts("ZQ17 status and memory file deleted.");
    } else {
      puts("ZQ17 status and memory file NOT deleted. Skipping loading of ZQ17 status and memory file.");
    }
  } else {
    puts("Skipping loading of ZQ17 status and memory file.");
  }
}
