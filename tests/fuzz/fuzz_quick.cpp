// The quick routes against the library: the input is a chain of steps, each
// an operation on raw 8-byte words (any bits: non-canonical declets, NaN
// payloads, signalling NaNs, infinities, subnormals, clamped exponents) or
// on the result the step before built, run once by the quick route and once
// by the library's function (or the control decoder by its text route),
// each from the same planted error and status. Any difference in the bits,
// the status, the pending error or the first failure aborts.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "number/decimal.h"
#include "state/control.h"

namespace {

// The input, read from the front; zeros once it is used up.
class input {
 public:
  input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return size_ == 0; }
  uint8_t byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  uint64_t word() {
    uint64_t w = 0;
    for (int i = 0; i < 8; ++i) w |= uint64_t{byte()} << (8 * i);
    return w;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// What a step starts from: the pending error, the first failure and the
// context's status, as an earlier operation may have left them.
struct number_state {
  zq_error_code error;
  zq_error_code first;
  uint32_t status;
  bool operator==(const number_state&) const = default;
};

constexpr zq_error_code planted_errors[] = {ERR_NONE, ERR_DATA, ERR_OUT_OF_RANGE, ERR_UNKNOWN};
constexpr uint32_t planted_status[] = {0,
                                       DEC_Inexact,
                                       DEC_Inexact | DEC_Rounded,
                                       DEC_Invalid_operation,
                                       DEC_Clamped,
                                       DEC_Subnormal | DEC_Inexact,
                                       DEC_Overflow | DEC_Inexact,
                                       DEC_Division_by_zero};

number_state planted(uint8_t b) {
  return {planted_errors[b & 3], planted_errors[(b >> 2) & 3], planted_status[(b >> 4) & 7]};
}

void plant(const number_state& s) {
  zqm_error = s.error;
  zqm_first_failure = s.first;
  zqm_ctx.status = s.status;
}

number_state now() { return {zqm_error, zqm_first_failure, zqm_ctx.status}; }

[[noreturn]] void differ(const char* what, uint64_t a, uint64_t b, uint64_t quick, uint64_t library) {
  fprintf(stderr,
          "quick route differs: %s of %016" PRIx64 " %016" PRIx64 ": %016" PRIx64 ", library %016" PRIx64
          "\n",
          what, a, b, quick, library);
  abort();
}

void same_state(const char* what, uint64_t a, uint64_t b, const number_state& quick,
                const number_state& library) {
  if (quick == library) return;
  fprintf(stderr,
          "quick route differs: %s of %016" PRIx64 " %016" PRIx64 ": error %" PRId64 " first %" PRId64
          " status %x, library %" PRId64 " %" PRId64 " %x\n",
          what, a, b, quick.error, quick.first, quick.status, library.error, library.first, library.status);
  abort();
}

using binary = zq_double_64 (*)(zq_double_64, zq_double_64);
using unary = zq_double_64 (*)(zq_double_64);

zq_double_64 compare_binary(const char* what, binary quick, binary library, zq_double_64 a, zq_double_64 b,
                            const number_state& start) {
  plant(start);
  const zq_double_64 expected = library(a, b);
  const number_state library_state = now();
  plant(start);
  const zq_double_64 got = quick(a, b);
  if (got != expected) differ(what, a, b, got, expected);
  same_state(what, a, b, now(), library_state);
  return got;
}

zq_double_64 compare_unary(const char* what, unary quick, unary library, zq_double_64 x,
                           const number_state& start) {
  plant(start);
  const zq_double_64 expected = library(x);
  const number_state library_state = now();
  plant(start);
  const zq_double_64 got = quick(x);
  if (got != expected) differ(what, x, 0, got, expected);
  same_state(what, x, 0, now(), library_state);
  return got;
}

zq_double_64 whole_one;        // 1 with exponent 0
zq_double_64 whole_minus_one;  // -1 with exponent 0

// The step is taken exactly for a non-negative whole number below 10^9 with
// exponent 0 whose sum is one too, and then it is the library's exact sum; it
// touches nothing else either way.
zq_double_64 compare_step(zq_double_64 x, int64_t by, const number_state& start, zq_double_64 last) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  bool expected_taken = false;
  zq_double_64 expected = 0;
  if (decDoubleIsFinite(&d) && !decDoubleIsSigned(&d) && decDoubleGetExponent(&d) == 0) {
    uint8_t bcd[zqm_coefficient_digits];
    int32_t exponent = 0;
    decDoubleToBCD(&d, &exponent, bcd);
    int64_t n = 0;
    for (uint8_t digit : bcd) n = n * 10 + digit;
    constexpr int64_t limit = 1000000000;
    expected_taken = n < limit && n + by >= 0 && n + by < limit;
    if (expected_taken) {
      zqm_take_error();
      expected = zqm_library_add(x, by > 0 ? whole_one : whole_minus_one);
      if (zqm_take_error() != ERR_NONE) differ("small whole step (inexact)", x, 0, 0, expected);
    }
  }
  plant(start);
  zq_double_64 r = 7;
  int64_t sum = -7;
  const bool taken = zqm_small_whole_step(x, by, r, sum);
  same_state("small whole step", x, 0, now(), start);
  if (taken != expected_taken) differ("small whole step (taken)", x, 0, taken, expected_taken);
  if (!taken) {
    if (r != 7 || sum != -7) differ("small whole step (touched)", x, 0, r, 7);
    return last;
  }
  if (r != expected) differ("small whole step", x, 0, r, expected);
  if (zqm_lint_from_zq_double_64(r) != sum)
    differ("small whole step (sum)", x, 0, static_cast<uint64_t>(sum), r);
  return r;
}

void compare_decoder(int mode, zq_double_64 x, const number_state& start) {
  int64_t q[3] = {-1, -1, -1};
  int64_t t[3] = {-2, -2, -2};
  plant(start);
  const int text_valid = zq_decode_control_text(mode, x, &t[0], &t[1], &t[2]);
  const number_state text_state = now();
  plant(start);
  const int valid = zq_decode_control(mode, x, &q[0], &q[1], &q[2]);
  same_state("control decoding", x, static_cast<uint64_t>(mode), now(), text_state);
  if (valid != text_valid || memcmp(q, t, sizeof q) != 0) {
    fprintf(stderr,
            "control decoding differs: %016" PRIx64 " mode %d: %d %" PRId64 " %" PRId64 " %" PRId64
            ", text route %d %" PRId64 " %" PRId64 " %" PRId64 "\n",
            x, mode, valid, q[0], q[1], q[2], text_valid, t[0], t[1], t[2]);
    abort();
  }
}

// A value made from a whole number and its fraction digits against the
// library's division of the two whole numbers.
zq_double_64 compare_fixed_value(uint64_t w, uint8_t b, const number_state& start) {
  const uint64_t scaled = w % zqm_coefficient_limit;
  const int fraction_digits = b % 16;
  const bool negative = (b & 0x80) != 0;
  zqm_take_error();
  const int64_t n = static_cast<int64_t>(scaled);
  const zq_double_64 expected = zqm_div(zqm_zq_double_64_from_lint(negative ? -n : n),
                                        zqm_zq_double_64_from_lint(static_cast<int64_t>(
                                            zqm_powers_of_ten[static_cast<size_t>(fraction_digits)])));
  if (zqm_take_error() != ERR_NONE) differ("value from fixed point (inexact)", w, b, 0, expected);
  plant(start);
  const zq_double_64 got = zqm_value_from_fixed_point(negative, scaled, fraction_digits);
  same_state("value from fixed point", w, b, now(), start);
  if (got != expected) differ("value from fixed point", w, b, got, expected);
  return got;
}

constexpr int32_t zqm_normal_exponent_min = -383;

// An operand: a raw word, the result built last, a raw word with that
// result's top bits (an exponent near its own), or a word made from parts
// (a coefficient and an exponent near 0 or near an end of the range).
zq_double_64 operand(input& in, zq_double_64 last) {
  const uint8_t kind = in.byte();
  switch (kind & 3) {
    case 0: return in.word();
    case 1: return last;
    case 2: return (last & ~((uint64_t{1} << 50) - 1)) | (in.word() & ((uint64_t{1} << 50) - 1));
    default: {
      const uint64_t w = in.word();
      // Sixteen exponents in one of four places: around 0, around the
      // smallest normal one, at the bottom and at the top of the range.
      constexpr int32_t around[] = {-8, zqm_normal_exponent_min - 8, zqm_exponent_min, zqm_exponent_max - 15};
      const int32_t exponent = around[kind >> 6] + ((kind >> 2) & 15);
      const uint64_t coefficient = (w & ~(uint64_t{1} << 63)) % zqm_coefficient_limit;
      return zqm_pack({(w >> 63) != 0, coefficient >> ((w >> 58) & 31), exponent});
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The library's conditions print "DEC_Clamped" and the like.
  if (freopen("/dev/null", "w", stdout) == nullptr) abort();
  zqm_init();
  whole_one = zqm_zq_double_64_from_int(1);
  whole_minus_one = zqm_zq_double_64_from_int(-1);
  zqm_take_error();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input in(data, size);
  zq_double_64 last = 0;
  constexpr int most_steps = 256;
  for (int step = 0; step < most_steps && !in.empty(); ++step) {
    const uint8_t op = in.byte();
    const number_state start = planted(in.byte());
    switch (op % 9) {
      case 0: {
        const zq_double_64 a = operand(in, last);
        last = compare_binary("sum", zqm_add, zqm_library_add, a, operand(in, last), start);
        break;
      }
      case 1: {
        const zq_double_64 a = operand(in, last);
        last = compare_binary("difference", zqm_sub, zqm_library_sub, a, operand(in, last), start);
        break;
      }
      case 2: {
        const zq_double_64 a = operand(in, last);
        last = compare_binary("product", zqm_mul, zqm_library_mul, a, operand(in, last), start);
        break;
      }
      case 3: last = compare_unary("int", zqm_int, zqm_library_int, operand(in, last), start); break;
      case 4: last = compare_step(operand(in, last), 1, start, last); break;
      case 5: last = compare_step(operand(in, last), -1, start, last); break;
      case 6: compare_decoder(CONTROL_COUNTER, operand(in, last), start); break;
      case 7: compare_decoder(CONTROL_MOVE, operand(in, last), start); break;
      default: {
        const uint64_t w = in.word();
        last = compare_fixed_value(w, in.byte(), start);
        break;
      }
    }
  }
  zqm_take_error();
  return 0;
}
