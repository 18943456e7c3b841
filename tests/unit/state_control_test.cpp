// Control numbers: the decoder's groups in both layouts (rounding of the
// fraction, lost carries and signs, values without a 64-bit integer part),
// the operand decoders, and the counter write-back with its 16-digit limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "number/number.h"
#include "state/control.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class StateControl : public FreshTest {
 protected:
  // The decoded command names register n directly.
  static void operand(uint16_t n) {
    zq_decoded.opt = OPT_NUM;
    zq_decoded.add = n;
  }
};

TEST_F(StateControl, DecodesBothLayouts) {
  struct Case {
    int mode;
    const char* x;
    int64_t a, b, c;
  };
  const Case cases[] = {
      {CONTROL_COUNTER, "1.0105", 1, 10, 50},
      {CONTROL_COUNTER, "5.01002", 5, 10, 2},
      {CONTROL_COUNTER, "-3.01002", -3, 10, 2},
      {CONTROL_COUNTER, "7", 7, 0, 0},
      {CONTROL_COUNTER, "10.02003", 10, 20, 3},
      {CONTROL_COUNTER, "5.00300", 5, 3, 0},
      {CONTROL_COUNTER, "0.00501", 0, 5, 1},
      {CONTROL_MOVE, "12.020005", 12, 20, 5},
      {CONTROL_MOVE, "1.998005", 1, 998, 5},
      {CONTROL_MOVE, "2.001002", 2, 1, 2},
      {CONTROL_MOVE, "-4.5", -4, 500, 0},
      // The fraction rounds up to 1: groups 0, the integer part not carried.
      {CONTROL_COUNTER, "2.9999999", 2, 0, 0},
      // Integer part 0: the sign is lost.
      {CONTROL_COUNTER, "-0.00501", 0, 5, 1},
      // The sixth digit counts only in the move layout.
      {CONTROL_COUNTER, "1.010059", 1, 10, 5},
      {CONTROL_COUNTER, "1.01005", 1, 10, 5},
      {CONTROL_MOVE, "1.010059", 1, 10, 59},
      // Digits beyond the sixth only round it.
      {CONTROL_COUNTER, "1.0100094", 1, 10, 0},
      {CONTROL_COUNTER, "1.0100096", 1, 10, 1},
      {CONTROL_MOVE, "3.0000006", 3, 0, 1},
      // The largest integer parts: the nearest binary value of the decimal.
      {CONTROL_COUNTER, "9.223372036854775E18", 9223372036854774784, 0, 0},
      {CONTROL_COUNTER, "-9.223372036854775E18", -9223372036854774784, 0, 0},
  };
  for (const Case& c : cases) {
    int64_t a = -1, b = -1, cc = -1;
    EXPECT_EQ(zq_decode_control(c.mode, quiet_num(c.x), &a, &b, &cc), 1) << c.x;
    EXPECT_EQ(a, c.a) << c.x;
    EXPECT_EQ(b, c.b) << c.x;
    EXPECT_EQ(cc, c.c) << c.x;
  }
}

TEST_F(StateControl, RefusesValuesWithoutA64BitIntegerPart) {
  const char* values[] = {
      "9.223372036854776E18", "-9.223372036854776E18", "1E300", "Inf", "-Inf", "NaN", "sNaN"};
  for (const char* x : values) {
    for (const int mode : {CONTROL_COUNTER, CONTROL_MOVE}) {
      int64_t a = -1, b = -1, c = -1;
      EXPECT_EQ(zq_decode_control(mode, quiet_num(x), &a, &b, &c), 0) << x;
      EXPECT_EQ(a + b + c, 0) << x;
    }
  }
}

TEST_F(StateControl, DecodingIgnoresAStaleError) {
  zqm_set_error(ERR_OUT_OF_RANGE);
  int64_t a = 0, b = 0, c = 0;
  EXPECT_EQ(zq_decode_control(CONTROL_COUNTER, quiet_num("1.002"), &a, &b, &c), 1);
  EXPECT_EQ(b, 2);
}

TEST_F(StateControl, OperandDecodersReadXOrTheOperandRegister) {
  zq_reg_set_number(CELL_X, quiet_num("4.010203"));
  int64_t a = 0, b = 0, c = 0;
  EXPECT_EQ(zq_decode_x_control(&a, &b, &c), 1);
  EXPECT_EQ(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c), "4 10 20");
  EXPECT_EQ(zq_decode_x_move_control(&a, &b, &c), 1);
  EXPECT_EQ(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c), "4 10 203");

  zq_reg_set_number(CELL_R00 + 7, quiet_num("-12.05001"));
  operand(7);
  EXPECT_EQ(zq_decode_operand_control(&a, &b, &c), 1);
  EXPECT_EQ(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c), "-12 50 1");

  // Through ind: R08 points to R07.
  zq_reg_set_number(CELL_R00 + 8, quiet_num("7"));
  zq_decoded.opt = OPT_NUM | OPT_IND;
  zq_decoded.add = 8;
  EXPECT_EQ(zq_decode_operand_control(&a, &b, &c), 1);
  EXPECT_EQ(a, -12);

  // A pointer to no register: nothing is read, R00 included.
  zq_reg_set_number(CELL_R00, quiet_num("3.004"));
  zq_reg_set_number(CELL_R00 + 8, quiet_num("1000"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(zq_decode_operand_control(&a, &b, &c), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(a + b + c, 0);
}

TEST_F(StateControl, WritesTheCounterBack) {
  struct Case {
    int64_t count, final, step;
    const char* stored;  // nullptr: refused, register unchanged
  };
  const Case cases[] = {
      {3, 10, 2, "3.01002"},
      {-3, 10, 2, "-3.01002"},
      {3, 10, 0, "3.01"},  // the exact quotient drops trailing zeros
      {3, 0, 0, "3"},
      {1, 5, 1, "1.00501"},
      {0, 5, 1, "0.00501"},
      {0, 0, 0, "0"},
      {21473, 999, 99, "21473.99999"},
      {21474, 836, 48, "21474.83648"},  // beyond 32 bits: exact all the same
      {-30001, 0, 1, "-30001.00001"},
      {100000, 0, 0, "100000"},
      {10, 0, 0, "10"},                             // the quotient's exponent stays at 0
      {99999999999, 999, 99, "99999999999.99999"},  // 16 digits, the largest
      {-99999999999, 999, 99, "-99999999999.99999"},
      {100000000000, 0, 0, nullptr},
      {-100000000000, 0, 0, nullptr},
      {INT64_MIN, 0, 0, nullptr},
      {INT64_MAX, 0, 0, nullptr},
  };
  const zq_double_64 before = quiet_num("8.5");
  operand(12);
  for (const Case& c : cases) {
    // An H.MMSS tag stays: only the value is written.
    zq_reg_set(CELL_R00 + 12, before, REG_HMS);
    EXPECT_EQ(zq_store_operand_control(c.count, c.final, c.step), c.stored ? 1 : 0) << c.count;
    EXPECT_EQ(text_of(zq_regs[CELL_R00 + 12]), c.stored ? c.stored : "8.5") << c.count;
    EXPECT_EQ(zq_reg_types[CELL_R00 + 12], REG_HMS);
  }
}

TEST_F(StateControl, WriteBackOfADecodedCounterRoundTrips) {
  const char* values[] = {"0.00501", "17.10002", "-250.00010", "21473.99999"};
  operand(3);
  for (const char* x : values) {
    zq_reg_set_number(CELL_R00 + 3, quiet_num(x));
    int64_t a = 0, b = 0, c = 0;
    ASSERT_EQ(zq_decode_operand_control(&a, &b, &c), 1) << x;
    ASSERT_EQ(zq_store_operand_control(a, b, c), 1) << x;
    int64_t a2 = 0, b2 = 0, c2 = 0;
    ASSERT_EQ(zq_decode_operand_control(&a2, &b2, &c2), 1) << x;
    EXPECT_EQ(std::to_string(a2) + " " + std::to_string(b2) + " " + std::to_string(c2),
              std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c))
        << x;
  }
}

TEST_F(StateControl, WriteBackToNoRegisterWritesNothing) {
  zq_decoded.opt = OPT_NUM | OPT_IND;
  zq_decoded.add = 4;
  zq_reg_set_number(CELL_R00 + 4, quiet_num("-7"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(zq_store_operand_control(1, 2, 3), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_regs[CELL_R00], zqm_k_0);
  EXPECT_EQ(text_of(zq_regs[CELL_R00 + 4]), "-7");
}

}  // namespace
