// The error reporter, the narrower DATA ERROR check, and the message line
// through which both, and every short notice, are printed.
#include "state/errors.h"

#include <cstdio>

#include "state/execution.h"
#include "state/flags.h"

uint8_t zq_last_error = ERR_NONE;

namespace {

// Messages of the codes ERR_DATA to ERR_XAIL, by code.
constexpr const char* zq_error_messages[] = {
    nullptr,      "DATA ERROR", "OUT OF RANGE", "NONEXISTENT",
    "ALPHA DATA", "FLAG DATA",  "MEMORY LOST",  "XAIL ERROR",
};
constexpr int zq_error_message_count = sizeof zq_error_messages / sizeof zq_error_messages[0];

// An error in a running program stops it on the failing step.
void zq_stop_running_program() {
  if (zq_mode == MODE_RUN) {
    zq_mode = MODE_ERROR_STOP;
    zq_advance = ADV_HOLD;
  }
}

}  // namespace

void zq_report_error(zq_error_code code) {
  const uint8_t byte = static_cast<uint8_t>(code);
  zq_last_error = byte;
  if (zq_flag_test(FLAG_IGNORE_ERROR)) {
    zq_flag_clear(FLAG_IGNORE_ERROR);
    return;
  }
  if (byte >= ERR_DATA && byte < zq_error_message_count) {
    zq_show_message(MSG_TEXT, zq_error_messages[byte], nullptr);
  } else {
    zq_show_message(MSG_TEXT, "UNKNOWN", nullptr);
    zq_last_error = ERR_UNKNOWN;
  }
  zq_stop_running_program();
}

zq_error_code zq_check_data_error(zq_error_code code) {
  if (code != ERR_DATA) return code;
  if (zq_flag_test(FLAG_IGNORE_ERROR)) {
    zq_flag_clear(FLAG_IGNORE_ERROR);
  } else {
    zq_show_message(MSG_TEXT, zq_error_messages[ERR_DATA], nullptr);
    zq_stop_running_program();
  }
  return code;
}

void zq_show_message(int kind, const char* text, const void* argument) {
  char line[zq_message_size] = "";
  switch (kind) {
    case MSG_TEXT: std::snprintf(line, sizeof line, "%s", text); break;
    case MSG_CHAR:
      std::snprintf(line, sizeof line, "%s %c", text, *static_cast<const char*>(argument));
      break;
    case MSG_STRING:
      std::snprintf(line, sizeof line, "%s %s", text, static_cast<const char*>(argument));
      break;
    case MSG_LONG:
      std::snprintf(line, sizeof line, "%s %ld", text,
                    static_cast<long>(*static_cast<const int64_t*>(argument)));
      break;
    default: break;
  }
  std::printf("%s", line);
  std::putchar('\n');
}

namespace {

// Takes the pending error; reports code when it, or failed, says so.
bool zq_number_verdict(bool failed, zq_error_code code) {
  if (zqm_take_error() == ERR_NONE && !failed) return false;
  zq_report_error(code);
  return true;
}

bool zq_all_finite(std::initializer_list<zq_double_64> values) {
  for (const zq_double_64 v : values) {
    if (!zqm_is_finite(v)) return false;
  }
  return true;
}

}  // namespace

bool zq_number_failed_anywhere() { return zq_number_verdict(zqm_first_error() != ERR_NONE, ERR_DATA); }

bool zq_number_failed_hiding(std::initializer_list<zq_double_64> operands,
                             std::initializer_list<zq_double_64> results) {
  const bool hidden = zq_all_finite(operands) && !zq_all_finite(results);
  return zq_number_verdict(hidden, ERR_DATA);
}
