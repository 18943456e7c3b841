// Angle and display modes. The mirror flags are only written here; the
// formatter and the angle conversions read the mode bytes, never the flags.
#include "commands/modes.h"

#include <optional>

#include "interp/init.h"
#include "number/number.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"

namespace {

void zq_set_angle(zq_angle_unit unit, bool grad_flag, bool rad_flag) {
  zq_angle = unit;
  zq_flag_put(FLAG_GRAD, grad_flag);
  zq_flag_put(FLAG_RAD, rad_flag);
}

// zq_digits := the operand's digit count; false when the operand names no
// register, and the command is then not carried out.
bool zq_take_digits() {
  const std::optional<zq_double_64> operand = zq_get_operand_value();
  if (!operand) return false;
  // A value without a 32-bit integer gives 0 digits; its leftover status is
  // discarded, since these commands report no error.
  const int64_t n = zqm_int_from_zq_double_64(*operand);
  zqm_take_error();
  zq_digits = static_cast<uint8_t>(zq_set_digits(n));
  return true;
}

void zq_set_format(zq_num_format format, bool fix_flag, bool eng_flag) {
  if (!zq_take_digits()) return;
  zq_flag_put(FLAG_FIX, fix_flag);
  zq_flag_put(FLAG_ENG, eng_flag);
  zq_disp_format = format;
}

}  // namespace

void zq_cmd_deg() { zq_set_angle(ANGLE_DEG, false, false); }
void zq_cmd_rad() { zq_set_angle(ANGLE_RAD, false, true); }
void zq_cmd_grad() { zq_set_angle(ANGLE_GRAD, true, false); }

void zq_cmd_fix() { zq_set_format(FMT_FIX, true, false); }
void zq_cmd_sci() { zq_set_format(FMT_SCI, false, false); }
void zq_cmd_eng() { zq_set_format(FMT_ENG, false, true); }
