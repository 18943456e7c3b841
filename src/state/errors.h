// Calculator errors and the message line: one reporter turns an error code
// into its message, records it and stops a running program.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "number/number.h"

enum zq_msg_kind : int {
  MSG_TEXT = 0,
  MSG_CHAR = 1,
  MSG_STRING = 2,
  MSG_LONG = 3,
};

// The message line shows at most 63 characters.
constexpr int zq_message_size = 64;

// Code of the last error reported (ERR_UNKNOWN for one without a message),
// pushed by errno; 0 after initialisation and clerr.
extern uint8_t zq_last_error;

// Records the code (its low 8 bits); with flag 25 set only clears the flag,
// else shows the code's message and stops a running program on its step.
void zq_report_error(zq_error_code code);
// Acts on ERR_DATA alone, as zq_report_error but without recording it;
// returns the code unchanged.
zq_error_code zq_check_data_error(zq_error_code code);
// Prints at most 63 characters, then a line feed. The argument points to a
// char (MSG_CHAR), a NUL-terminated text (MSG_STRING) or an int64_t (MSG_LONG).
void zq_show_message(int kind, const char* text, const void* argument);

// The number layer's verdict on the calls since the last zqm_take_error:
// on a failure of any class, reports `code` and returns true. Inline, as
// zq_number_failed_for: most commands ask, and nearly every answer is no.
inline bool zq_number_failed(zq_error_code code = ERR_DATA) {
  if (zqm_take_error() == ERR_NONE) return false;
  zq_report_error(code);
  return true;
}
// The same over every call since then, not only the last one that raised a
// condition: a failure that a later call hid counts as well (DATA ERROR).
bool zq_number_failed_anywhere();
// zq_number_failed_for once a call since the last take has failed.
bool zq_number_failed_hiding(std::initializer_list<zq_double_64> operands,
                             std::initializer_list<zq_double_64> results);
// zq_number_failed, and DATA ERROR too for a failure that a later call hid
// when it left an infinity or a NaN among the results although every
// operand was finite. A hidden failure with finite results stands: r-p at
// X = 0 relies on the arc tangent of the infinite quotient.
inline bool zq_number_failed_for(std::initializer_list<zq_double_64> operands,
                                 std::initializer_list<zq_double_64> results) {
  // Without a failure nothing is hidden, and the values need no look.
  if (zqm_first_error() == ERR_NONE) return zq_number_failed();
  return zq_number_failed_hiding(operands, results);
}
