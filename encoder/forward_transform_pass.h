// The one 8-point pass of the forward transform (rows, then columns),
// written once for the plain code and the vector kernel. Ops supplies add,
// sub and mul(x, k) = (x k) >> 11 with the 64-bit product, its low 32 bits
// kept, on a value type V (an int32_t, or a vector of them).
#pragma once

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr int kForwardC4 = 1448;     // 0.707106781 (cos 4 pi / 16)
constexpr int kForwardC6 = 784;      // 0.382683433
constexpr int kForwardC2mC6 = 1108;  // 0.541196100
constexpr int kForwardC2pC6 = 2676;  // 1.306562965

// d[0..7] in place.
template <class Ops, class V>
inline void forwardPass(V d[8]) {
  const V t0 = Ops::add(d[0], d[7]), t7 = Ops::sub(d[0], d[7]);
  const V t1 = Ops::add(d[1], d[6]), t6 = Ops::sub(d[1], d[6]);
  const V t2 = Ops::add(d[2], d[5]), t5 = Ops::sub(d[2], d[5]);
  const V t3 = Ops::add(d[3], d[4]), t4 = Ops::sub(d[3], d[4]);

  // Even part.
  const V t10 = Ops::add(t0, t3), t13 = Ops::sub(t0, t3), t11 = Ops::add(t1, t2), t12 = Ops::sub(t1, t2);
  d[0] = Ops::add(t10, t11);
  d[4] = Ops::sub(t10, t11);
  const V z1 = Ops::mul(Ops::add(t12, t13), kForwardC4);
  d[2] = Ops::add(t13, z1);
  d[6] = Ops::sub(t13, z1);

  // Odd part.
  const V s10 = Ops::add(t4, t5), s11 = Ops::add(t5, t6), s12 = Ops::add(t6, t7);
  const V z5 = Ops::mul(Ops::sub(s10, s12), kForwardC6);
  const V z2 = Ops::add(Ops::mul(s10, kForwardC2mC6), z5);
  const V z4 = Ops::add(Ops::mul(s12, kForwardC2pC6), z5);
  const V z3 = Ops::mul(s11, kForwardC4);
  const V z11 = Ops::add(t7, z3), z13 = Ops::sub(t7, z3);
  d[5] = Ops::add(z13, z2);
  d[3] = Ops::sub(z13, z2);
  d[1] = Ops::add(z11, z4);
  d[7] = Ops::sub(z11, z4);
}

TOL_NS_END
