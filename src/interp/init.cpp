// Initialisation: the state at process start and after "clall", and the
// prompt text derived from USER mode and trace.
#include "interp/init.h"

#include <cstdio>
#include <cstring>

#include "interp/executor.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/path_prefix.h"
#include "state/registers.h"
#include "state/stats.h"
#include "state/watch.h"

char zq_prompt[zq_prompt_size] = {};

namespace {

constexpr int zq_initial_digits = 4;
constexpr int64_t zq_max_digits = 15;
constexpr uint64_t zq_digit_flags_mask = uint64_t{0xf} << FLAG_DIGITS;

// The flags that start set besides the digit count.
constexpr int zq_initial_flags[] = {FLAG_AUDIO, FLAG_RADIX_POINT, FLAG_GROUPING,
                                    FLAG_FIX,   FLAG_NO_SAVE,     FLAG_SHOW_STACK};

}  // namespace

int64_t zq_set_digits(int64_t n) {
  if (n < 0) n = 0;
  if (n > zq_max_digits) n = zq_max_digits;
  zq_flags = (zq_flags & ~zq_digit_flags_mask) | (static_cast<uint64_t>(n) << FLAG_DIGITS);
  return n;
}

void zq_set_prompt() {
  const bool user = zq_flag_test(FLAG_USER);
  const char* text = user && zq_trace ? "\nUSER:TRACE> " : zq_trace ? "\nTRACE> " : user ? "\nUSER> " : "\n>";
  // strncpy NUL-pads the rest, as the prompt buffer expects.
  std::strncpy(zq_prompt, text, sizeof zq_prompt - 1);
  zq_prompt[sizeof zq_prompt - 1] = '\0';
}

// Leaves zq_mode alone: at process start it is MODE_RECORD until main selects
// MODE_IMMEDIATE, and "clall" typed at the prompt stays immediate.
void zq_init_state(bool clear_program_memory) {
  zq_path_style = PATH_STYLE_SLASH;
  zq_flags = 0;
  zq_angle = ANGLE_DEG;
  zq_trace = 0;
  zq_quit = 0;
  zq_lift = 1;
  zq_disp_format = FMT_FIX;
  zq_clock_mode = 0;
  zq_digits = zq_initial_digits;
  zq_set_digits(zq_initial_digits);
  zq_watch_count = 0;
  zq_stat_base = zq_stat_base_initial;
  zq_size = zq_data_register_count;
  pc = 1;
  zq_ret_depth = 0;
  zq_last_error = 0;
  zq_xail = 0;
  zqm_take_error();
  for (const int flag : zq_initial_flags) zq_flag_set(flag);

  if (zqm_init() != 0) {
    puts("Endianess mismatch with Math routines on this platform.");
    // The quit request, as exit makes it.
    zq_quit = 1;
  }

  zq_reg_clear_data();
  zq_reg_clear_stack();
  zq_reg_clear(CELL_L);
  if (clear_program_memory) zq_clear_program_memory();
  std::memset(zq_path, 0, sizeof zq_path);
  zq_alpha_clear();
  zq_put_final_end(1);
  zq_advance = ADV_NEXT;
  zq_reset_decoded();
  zq_set_prompt();
}

void zq_init() { zq_init_state(true); }
