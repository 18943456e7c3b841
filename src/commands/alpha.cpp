// Alpha register commands, built on the register's own operations; a text
// comes from the parser, or from the step's text field in a run.
#include "commands/alpha.h"

#include <cstring>

#include "commands/stack.h"
#include "interp/executor.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/readnum.h"
#include "state/registers.h"

namespace {

// Appends the text operand of alpha or append. A step taken from program
// memory reads its own text field (16 bytes); typed, and on a line that
// xail runs, the text is what the parser decoded.
void zq_append_text_operand() {
  if (zq_mode == MODE_RUN && !zq_xail) {
    char text[zq_step_text_size + 1];
    zq_step_text(pc + 1, text);
    // Up to the first NUL, so the register stays NUL-padded.
    zq_alpha_append(text, static_cast<int64_t>(std::strlen(text)));
  } else {
    zq_alpha_append(zq_text, static_cast<int64_t>(strnlen(zq_text, sizeof zq_text)));
  }
}

// |X| truncated toward zero, as the character code of xtoa and posa.
struct zq_char_code {
  int64_t code;
  zq_error_code error;  // of taking |X|
  bool too_large;       // |X| > 255
};

zq_char_code zq_x_char_code() {
  zqm_take_error();
  const zq_double_64 magnitude = zqm_abs(zq_regs[CELL_X]);
  const int64_t code = zqm_int_from_zq_double_64(magnitude);
  // Taken before the comparison, which would map the status that the
  // truncation leaves for a magnitude beyond 32 bits.
  const zq_error_code error = zqm_take_error();
  const bool too_large = zqm_compare(magnitude, zqm_k_255, CMP_GT);
  // A NaN compares as equal and leaves a condition that is no failure here.
  zqm_take_error();
  return {code, error, too_large};
}

// Position of the first occurrence of the count bytes of pattern lying
// wholly within the alpha text, or -1.
int64_t zq_alpha_find(const char* pattern, int64_t count) {
  const int64_t length = zq_alpha_length();
  for (int64_t p = 0; p + count <= length; ++p) {
    if (std::memcmp(zq_alpha + p, pattern, static_cast<size_t>(count)) == 0) return p;
  }
  return -1;
}

// Codes, positions and lengths: all between -128 and 127.
void zq_set_x_int(int64_t n) {
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(static_cast<int32_t>(n)));
}

}  // namespace

void zq_cmd_alpha() {
  zq_alpha_clear();
  // Appending to the empty register copies the first 24 characters.
  zq_append_text_operand();
}

void zq_cmd_append() { zq_append_text_operand(); }

void zq_cmd_cla() { zq_alpha_clear(); }

// Accepted so that programs using it load and run; it has no effect here.
void zq_cmd_cld() {}

void zq_cmd_ashf() { zq_alpha_shift_left(6); }

void zq_cmd_ashfl() { zq_alpha_shift_left(8); }

void zq_cmd_arot() {
  zqm_take_error();
  const zq_double_64 x = zq_regs[CELL_X];
  const bool too_far = zqm_compare(zqm_abs(x), zqm_k_255, CMP_GT);
  const int64_t n = zqm_int_from_zq_double_64(x);
  // Only the bound is a failure: a NaN compares as equal and rotates by 0.
  zqm_take_error();
  if (too_far) {
    zq_report_error(ERR_DATA);
    return;
  }
  for (int64_t i = 0; i < n; ++i) zq_alpha_rotate_left();
  for (int64_t i = 0; i < -n; ++i) zq_alpha_rotate_right();
}

void zq_cmd_atox() {
  zq_stack_lift();
  // The code of a byte from 0x80 up is negative, as a signed char reads.
  zq_set_x_int(static_cast<signed char>(zq_alpha[0]));
  // An empty register stays empty.
  zq_alpha_shift_left(1);
}

void zq_cmd_xtoa() {
  const uint8_t tag = zq_reg_types[CELL_X];
  if (zq_tag_is_numeric(tag)) {
    const zq_char_code c = zq_x_char_code();
    if (c.error != ERR_NONE) {
      zq_check_data_error(c.error);
      return;
    }
    if (c.too_large) {
      zq_check_data_error(ERR_DATA);
      return;
    }
    // Code 0 appends a NUL byte.
    const char character = static_cast<char>(c.code);
    zq_alpha_append(&character, 1);
  } else if (zq_tag_is_alpha(tag)) {
    char text[zq_cell_text_size];
    const int64_t count = zq_cell_unpack_text(zq_regs[CELL_X], zq_cell_text_chars, text);
    zq_alpha_append(text, count);
  }
}

void zq_cmd_posa() {
  const uint8_t tag = zq_reg_types[CELL_X];
  if (zq_tag_is_numeric(tag)) {
    const zq_char_code c = zq_x_char_code();
    if (c.error != ERR_NONE) {
      zq_report_error(ERR_DATA);
      return;
    }
    if (c.too_large) {
      zq_check_data_error(ERR_DATA);
      zq_set_x_int(-1);
      return;
    }
    // The alpha text holds no NUL, so code 0 is never found.
    const char character = static_cast<char>(c.code);
    zq_set_x_int(zq_alpha_find(&character, 1));
  } else if (zq_tag_is_alpha(tag)) {
    char text[zq_cell_text_size];
    const int64_t count = zq_cell_unpack_text(zq_regs[CELL_X], zq_cell_text_chars, text);
    zq_set_x_int(count == 0 ? -1 : zq_alpha_find(text, count));
  }
}

void zq_cmd_aleng() {
  zq_stack_lift();
  zq_set_x_int(zq_alpha_length());
}

void zq_cmd_anum() {
  zqm_take_error();
  zq_double_64 value = 0;
  const int found = zq_parse_number_text(zq_alpha, zq_alpha_length(), value);
  // The scan reports no error of its own.
  zqm_take_error();
  if (!found) return;
  zq_stack_push(value);
  zq_flag_set(FLAG_NUM_INPUT);
}

void zq_cmd_arcl() { zq_alpha_append_reg(6); }

void zq_cmd_arcll() { zq_alpha_append_reg(8); }
