// Angle, H.MMSS, date and time conversions, the time text in the alpha
// register and the octal digit test.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "number/number.h"
#include "state/alpha.h"
#include "state/conversions.h"
#include "state/modes.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

// Equal in value (exponents may differ), and not NaN, which compares equal.
testing::AssertionResult same_value(zq_double_64 actual, const char* expected) {
  const zq_double_64 wanted = num(expected);
  if (layer_text(actual) != "NaN" && zqm_compare(actual, wanted, CMP_EQ) == 1)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << layer_text(actual) << " is not " << expected;
}

class StateConversions : public FreshTest {
 protected:
  void TearDown() override { EXPECT_EQ(zqm_take_error(), ERR_NONE); }
};

TEST_F(StateConversions, Angles) {
  struct Case {
    uint8_t mode;
    bool to_radians;
    const char* input;
    const char* result;
  };
  const Case cases[] = {
      {ANGLE_DEG, true, "180", "3.141592653589793"},
      {ANGLE_DEG, false, "3.141592653589793", "180"},
      {ANGLE_DEG, true, "90", "1.570796326794897"},
      {ANGLE_GRAD, true, "200", "3.141592653589793"},
      {ANGLE_GRAD, false, "3.141592653589793", "200"},
      {ANGLE_RAD, true, "1.25", "1.25"},
      {ANGLE_RAD, false, "1.25", "1.25"},
      {0, true, "180", "0"},
      {0, false, "3", "0"},
      {7, true, "180", "0"},
  };
  for (const Case& c : cases) {
    zq_angle = c.mode;
    const zq_double_64 x = num(c.input);
    EXPECT_TRUE(same_value(c.to_radians ? zq_to_radians(x) : zq_from_radians(x), c.result))
        << int{c.mode} << " " << c.input;
  }
}

TEST_F(StateConversions, HoursMinutesSeconds) {
  struct Case {
    const char* hms;
    const char* hours;
  };
  // Both directions.
  const Case pairs[] = {{"1.3", "1.5"}, {"2.3", "2.5"}, {"1.3045", "1.5125"}, {"-1.3", "-1.5"}, {"0", "0"}};
  for (const Case& c : pairs) {
    EXPECT_TRUE(same_value(zq_hms_to_hours(num(c.hms)), c.hours)) << c.hms;
    EXPECT_TRUE(same_value(zq_hours_to_hms(num(c.hours)), c.hms)) << c.hours;
  }
  // Minutes are not range-checked.
  EXPECT_TRUE(same_value(zq_hms_to_hours(num("1.75")), "2.25"));
}

TEST_F(StateConversions, DayNumbers) {
  struct Case {
    const char* date;
    bool dmy;
    int day, month, year;
    int64_t day_number;
  };
  const Case cases[] = {
      {"1.012000", false, 1, 1, 2000, 2451545},
      {"3.152024", false, 15, 3, 2024, 2460385},
      {"15.032024", true, 15, 3, 2024, 2460385},
      {"2.292023", false, 29, 2, 2023, 2460005},  // unchecked: 1 March 2023
      {"3.152024", true, 3, 15, 2024, 2460740},   // month 15 of 2024: 5 March 2025
  };
  for (const Case& c : cases) {
    zq_clock_mode = c.dmy ? CLK_DMY : 0;
    std::tm record{};
    record.tm_hour = 7;
    zq_date_to_tm(record, num(c.date));
    EXPECT_EQ(record.tm_mday, c.day) << c.date;
    EXPECT_EQ(record.tm_mon, c.month) << c.date;
    EXPECT_EQ(record.tm_year, c.year) << c.date;
    EXPECT_EQ(record.tm_hour, 0);
    EXPECT_EQ(zq_tm_to_julian_day(record), c.day_number) << c.date;
  }
  // No 32-bit integer: every field 0, and the invalid operation left in the
  // context becomes ERR_DATA at the next checked operation.
  std::tm record{};
  record.tm_mday = 9;
  zq_date_to_tm(record, quiet_num("2147.483648"));
  EXPECT_EQ(record.tm_mday + record.tm_mon + record.tm_year, 0);
  zqm_add(zqm_k_0, zqm_k_0);
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(StateConversions, DayNumberToDate) {
  struct Case {
    const char* day_number;
    bool dmy;
    const char* date;
  };
  const Case cases[] = {
      {"2451545", false, "1.012"},    {"2451545", true, "1.012"},     {"2460385", false, "3.152024"},
      {"2460385", true, "15.032024"}, {"2460005", false, "3.012023"}, {"2460385.7", false, "3.152024"},
  };
  for (const Case& c : cases) {
    zq_clock_mode = c.dmy ? CLK_DMY : 0;
    EXPECT_TRUE(same_value(zq_julian_day_to_date(num(c.day_number)), c.date)) << c.day_number;
  }
  // Far beyond any calendar: refused instead of overflowing the integer steps.
  // So are the values without an integer part (ln 0 leaves -Infinity in X).
  for (const char* bad : {"1e30", "-1e30", "Infinity", "-Infinity", "NaN"}) {
    EXPECT_EQ(zq_julian_day_to_date(quiet_num(bad)), zqm_k_0) << bad;
    EXPECT_EQ(zqm_take_error(), ERR_DATA) << bad;
  }
}

TEST_F(StateConversions, TimeOfDay) {
  std::tm record{};
  record.tm_hour = 13;
  record.tm_min = 45;
  record.tm_sec = 7;
  EXPECT_TRUE(same_value(zq_tm_to_time_value(record, 250), "13.450725"));
  record.tm_hour = 9;
  record.tm_min = 5;
  record.tm_sec = 3;
  EXPECT_TRUE(same_value(zq_tm_to_time_value(record, 250), "9.050325"));
}

TEST_F(StateConversions, Today) {
  for (const bool dmy : {false, true}) {
    zq_clock_mode = dmy ? CLK_DMY : 0;
    const zq_double_64 today = zq_get_today_value();
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    std::tm record{};
    zq_date_to_tm(record, today);
    EXPECT_EQ(record.tm_mday, local.tm_mday);
    EXPECT_EQ(record.tm_mon, local.tm_mon + 1);
    EXPECT_EQ(record.tm_year, local.tm_year + 1900);
  }
}

TEST_F(StateConversions, TimeInAlpha) {
  struct Case {
    int digits;
    int64_t twelve;
    const char* value;
    const char* text;
  };
  const Case cases[] = {
      {4, 1, "13.3045", " 1:30:45 PM"},  {4, 1, "12.3", " 0:30:00 PM"},      {4, 1, "12", "12:00:00 AM"},
      {4, 1, "9.5", " 9:50:00 AM"},      {4, 0, "9.05", " 9:05:00"},         {4, 0, "23.5959999", "23:59:60"},
      {6, 0, "7.123456", " 7:12:34.56"}, {5, 0, "-7.123456", " 7:12:34.56"}, {0, 0, "7.123456", " 7"},
      {1, 0, "7.123456", " 7:12"},       {2, 0, "7.123456", " 7:12"},        {3, 0, "7.123456", " 7:12:34"},
      {15, 1, "25", "25:00:00.00 AM"},
  };
  for (const Case& c : cases) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    zq_digits = static_cast<uint8_t>(c.digits);
    zq_alpha_append_time(num(c.value), c.twelve);
    EXPECT_EQ(std::string(zq_alpha, static_cast<size_t>(zq_alpha_length())), c.text) << c.value;
  }
  // 100 hours or more: the message only, alpha unchanged, no error left.
  for (const char* bad : {"100", "-100", "NaN", "Infinity"}) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    std::memcpy(zq_alpha, "AB", 2);
    testing::internal::CaptureStdout();
    zq_alpha_append_time(num(bad), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DATA ERROR\n") << bad;
    EXPECT_EQ(zq_alpha_length(), 2);
  }
}

TEST_F(StateConversions, OctalDigits) {
  struct Case {
    int64_t n, octal;
  };
  const Case cases[] = {{0, 1}, {1777, 1}, {-7, 1}, {18, 0}, {-19, 0}, {INT64_MIN, 0}, {-777, 1}};
  for (const Case& c : cases) EXPECT_EQ(zq_is_octal_digits(c.n), c.octal) << c.n;
}

}  // namespace
