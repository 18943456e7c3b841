// File names: every name that a file command opens is composed here in
// zq_text, from the path prefix and at most 24 characters of a name.
#include "files/paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "interp/program.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/path_prefix.h"

namespace {

// zq_text := the prefix (at most 231 bytes, also of an unterminated one) and
// at most 24 characters of name; 231 + 24 characters and the NUL fit zq_text.
// name may point into zq_text: the result is built aside first.
void zq_compose_name(const char* name) {
  static_assert(zq_path_size + zq_file_name_part < zq_text_size);
  char composed[zq_text_size] = {};
  const size_t prefix = strnlen(zq_path, zq_path_size);
  std::memcpy(composed, zq_path, prefix);
  std::memcpy(composed + prefix, name, strnlen(name, zq_file_name_part));
  std::memcpy(zq_text, composed, sizeof composed);
}

}  // namespace

void zq_file_name_from_program() {
  const zq_instr step = zq_step_at(pc);
  if (step.opt & OPT_CHAR) {
    zq_text[0] = static_cast<char>(step.add & 0xff);
    zq_text[1] = '\0';
    return;
  }
  // The name ends at its first NUL: a step without a name keeps one zero
  // word there, and the word after it belongs to the next step.
  char name[zq_step_name_size + 1];
  zq_step_name(pc + 1, name);
  std::snprintf(zq_text, zq_text_size, "%s", name);
}

void zq_prefix_path() { zq_compose_name(zq_text); }

void zq_file_name_from_alpha() {
  char name[zq_alpha_copy_size];
  zq_alpha_copy_n(name, zq_alpha_copy_size);
  std::memcpy(zq_text, name, sizeof name);
}

void zq_file_path_from_alpha() {
  char name[zq_alpha_copy_size];
  zq_alpha_copy_n(name, zq_alpha_copy_size);
  zq_compose_name(name);
}

void zq_fix_path_separators(char* text) {
  if (zq_path_style != PATH_STYLE_SLASH) return;
  for (char* c = text; *c != '\0'; ++c) {
    if (*c == '\\') *c = '/';
  }
}

void zq_check_path_slash() {
  const size_t length = strnlen(zq_path, zq_path_size);
  if (length == 0) return;
  const char last = zq_path[length - 1];
  if (last != '/' && last != '\\') zq_show_message(MSG_TEXT, "Warning, Path has no trailing slash.", nullptr);
}

void zq_alpha_copy_n(char (&destination)[zq_alpha_copy_size], int64_t n) {
  const int64_t count = std::clamp<int64_t>(n, 0, zq_alpha_size);
  bool ended = false;
  for (int64_t i = 0; i < count; ++i) {
    ended = ended || zq_alpha[i] == '\0';
    destination[i] = ended ? '\0' : zq_alpha[i];
  }
  if (n > zq_alpha_size) destination[zq_alpha_size] = '\0';
}
