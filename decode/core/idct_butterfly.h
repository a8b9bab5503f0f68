// The one 8-point butterfly of the inverse transform, written once for the
// plain code and the vector kernels. Ops supplies wrapping 32-bit add, sub
// and mul(x, k) = (low 32 bits of x k) >> 11 arithmetic on a value type V
// (an int32_t, or a vector of them for eight or four columns at a time).
#pragma once

#include "platform/libns.h"

TOL_NS_BEGIN

template <class Ops, class V>
inline void idctButterfly(const V s[8], V o[8]) {
  const V a0 = Ops::add(s[0], s[4]), a1 = Ops::sub(s[0], s[4]), a2 = Ops::add(s[2], s[6]);
  const V a3 = Ops::mul(Ops::sub(s[2], s[6]), 2896);
  const V a4 = Ops::add(s[5], s[3]), a5 = Ops::sub(s[5], s[3]), a6 = Ops::add(s[1], s[7]), a7 = Ops::sub(s[1], s[7]);
  const V b0 = Ops::add(a4, a6);
  const V b1 = Ops::mul(Ops::add(a5, a7), 3784);
  const V b2 = Ops::add(Ops::sub(Ops::mul(a5, -5352), b0), b1);
  const V b3 = Ops::sub(Ops::mul(Ops::sub(a6, a4), 2896), b2);
  const V b4 = Ops::sub(Ops::add(Ops::mul(a7, 2217), b3), b1);
  const V e0 = Ops::add(a0, a2), e1 = Ops::sub(Ops::add(a1, a3), a2);
  const V e2 = Ops::add(Ops::sub(a1, a3), a2), e3 = Ops::sub(a0, a2);
  o[0] = Ops::add(e0, b0);
  o[1] = Ops::add(e1, b2);
  o[2] = Ops::add(e2, b3);
  o[3] = Ops::sub(e3, b4);
  o[4] = Ops::add(e3, b4);
  o[5] = Ops::sub(e2, b3);
  o[6] = Ops::sub(e1, b2);
  o[7] = Ops::sub(e0, b0);
}

TOL_NS_END
