// Trigonometric functions in radians: the decimal library has none, so each
// one goes through long double and the platform's math library.
#include <cmath>
#include <cstdio>

#include "number/number.h"

namespace {

using zqm_ld_function = long double (*)(long double);

zq_double_64 zqm_through_ldouble(zqm_ld_function fn, zq_double_64 x) {
  const long double v = fn(zqm_ldouble_from_zq_double_64(x));
  if (zqm_ld_is_bad(v)) zqm_set_error(ERR_DATA);
  // A NaN reads back as a decimal NaN without a condition, so the error
  // set above survives; a regular result only rounds.
  const zq_double_64 r = zqm_zq_double_64_from_ldouble(v);
  zqm_check_status();
  return r;
}

}  // namespace

int64_t zqm_ld_is_bad(long double v) {
  const bool inf = v == zqm_ld_inf;
  if (inf) puts("LD_INF");
  const bool nan = v != v;
  if (nan) puts("NE_NAN");
  return inf || nan;
}

zq_double_64 zqm_sin(zq_double_64 x) { return zqm_through_ldouble(sinl, x); }
zq_double_64 zqm_cos(zq_double_64 x) { return zqm_through_ldouble(cosl, x); }
zq_double_64 zqm_tan(zq_double_64 x) { return zqm_through_ldouble(tanl, x); }
zq_double_64 zqm_asin(zq_double_64 x) { return zqm_through_ldouble(asinl, x); }
zq_double_64 zqm_acos(zq_double_64 x) { return zqm_through_ldouble(acosl, x); }
zq_double_64 zqm_atan(zq_double_64 x) { return zqm_through_ldouble(atanl, x); }
