// Catalogs of labels and commands, the path prefix, directory listings and
// the shell command. Besides the file layer, only these touch the file
// system and the command processor.
#include "commands/catalog.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "files/paths.h"
#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/path_prefix.h"
#include "state/registers.h"
#include "state/stack_display.h"

namespace {

enum zq_catalog : uint16_t {
  CATALOG_LABELS = 1,
  CATALOG_COMMANDS = 3,
  CATALOG_DIRECTORY = 4,
  CATALOG_USER = 6,
  CATALOG_PROGRAMMABLE = 9,
};

// The global labels and ENDs of program memory, in memory order, then the
// final END.
void zq_print_label_catalog() {
  int64_t address = 1;
  while (address < zq_final_end) {
    const zq_instr step = zq_step_at(address);
    if ((step.cmd == zq_idx_lbl && (step.opt & OPT_STR)) || step.cmd == zq_idx_end) {
      zq_print_program_line(-1, address, LIST_CATALOG, nullptr);
    }
    const int64_t length = zq_get_step_length(address);
    // Only damaged memory holds a step of no length before the final END.
    if (length == 0) break;
    address += length;
  }
  if (address == zq_final_end) puts(" .end.");
}

void zq_print_command_names() {
  for (int row = zq_first_listed_row; row < zq_end_row; ++row) printf(" %s,", zq_commands[row].name);
  putchar('\n');
}

void zq_print_programmable_names() {
  for (int row = zq_first_listed_row; row < zq_end_row; ++row) {
    if (zq_commands[row].programmable == PROGRAMMABLE) printf(" %s\n", zq_commands[row].name);
  }
  putchar('\n');
}

// The current directory's name; "." when it does not fit the buffer.
void zq_current_directory(char (&name)[zq_path_size]) {
  if (getcwd(name, sizeof name) == nullptr) std::snprintf(name, sizeof name, ".");
}

// The name shown, then every entry in the order the directory gives them.
void zq_list_directory(DIR* directory, const char* shown) {
  puts(shown);
  for (const dirent* entry = readdir(directory); entry != nullptr; entry = readdir(directory)) {
    puts(entry->d_name);
  }
  closedir(directory);
}

}  // namespace

void zq_cmd_cat() {
  const std::optional<zq_double_64> operand = zq_get_operand_value();
  if (!operand) return;
  // Only the low 16 bits count, so -1 is catalogue 65535. A value without a
  // 32-bit integer gives 0; its status is discarded, as cat reports no error.
  const uint16_t n = static_cast<uint16_t>(zqm_int_from_zq_double_64(*operand));
  zqm_take_error();
  const bool user = zq_flag_test(FLAG_USER);
  if (n == CATALOG_LABELS || (n == CATALOG_USER && user)) {
    zq_print_label_catalog();
  } else if (n == CATALOG_COMMANDS) {
    zq_print_command_names();
    zq_suppress_display = 1;
  } else if (n == CATALOG_DIRECTORY) {
    zq_cmd_emdir();
  } else if (n == CATALOG_USER) {
    puts("User mode not enabled, nothing to list.");
  } else if (n == CATALOG_PROGRAMMABLE) {
    zq_print_programmable_names();
    zq_suppress_display = 1;
  } else {
    printf("Catalog number %d is not implemented.\n", static_cast<int>(n));
    zq_suppress_display = 1;
  }
}

void zq_cmd_pdir() {
  // The prefix is opened as it stands: no separators are changed.
  char shown[zq_path_size];
  const bool prefixed = zq_path[0] != '\0';
  if (prefixed) {
    std::snprintf(shown, sizeof shown, "%s", zq_path);
  } else {
    zq_current_directory(shown);
  }
  DIR* directory = opendir(prefixed ? zq_path : ".");
  if (directory == nullptr) {
    printf("Invalid directory path %s.\n", shown);
    return;
  }
  zq_list_directory(directory, shown);
}

void zq_cmd_emdir() {
  DIR* directory = opendir(".");
  if (directory == nullptr) {
    puts("Invalid path to directory.");
    return;
  }
  char shown[zq_path_size];
  zq_current_directory(shown);
  zq_list_directory(directory, shown);
  zq_stack_lift();
  zq_reg_set_number(CELL_X, zqm_k_600);
}

void zq_cmd_exeq() {
  if (std::system(nullptr) == 0) {
    zq_show_message(MSG_TEXT, "No system command processor available.\n", nullptr);
    return;
  }
  if (zq_alpha_length() == 0) {
    zq_show_message(MSG_TEXT, "Alpha register empty.\n", nullptr);
    return;
  }
  // At most 230 characters of prefix and 24 of alpha text: the command
  // always fits zq_text.
  zq_file_path_from_alpha();
  zq_fix_path_separators(zq_text);
  printf("Executing: %s\n", zq_text);
  // The command writes to the same output: what was printed comes first.
  std::fflush(stdout);
  // Whatever the command does, its status is not looked at.
  [[maybe_unused]] const int status = std::system(zq_text);
}

void zq_cmd_path() {
  char text[zq_alpha_copy_size];
  zq_alpha_copy_n(text, zq_alpha_copy_size);
  std::memset(zq_path, 0, sizeof zq_path);
  std::memcpy(zq_path, text, sizeof text);
  zq_check_path_slash();
}

void zq_cmd_path_plus() {
  char text[zq_alpha_copy_size];
  zq_alpha_copy_n(text, zq_alpha_copy_size);
  const size_t added = std::strlen(text);
  if (added == 0) return;
  const size_t length = strnlen(zq_path, sizeof zq_path);
  // The prefix holds at most 230 characters: a text that would not fit is
  // refused whole rather than cut, so the prefix never names a directory
  // the user did not give.
  if (length + added >= sizeof zq_path) {
    zq_show_message(MSG_TEXT, "Warning, Path too long, not changed.", nullptr);
    return;
  }
  std::memcpy(zq_path + length, text, added + 1);
  zq_check_path_slash();
}

void zq_cmd_path_q() { zq_show_message(MSG_TEXT, zq_path, nullptr); }
