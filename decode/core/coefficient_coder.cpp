#include "decode/core/coefficient_coder.h"

#include "decode/core/scan_orders.h"
#include "decode/core/significance_walk.h"

TOL_NS_BEGIN
namespace {

constexpr WalkEntry kInitial[] = {{4, 0}, {24, 0}, {44, 0}, {1, 3}, {2, 3}, {3, 3}};

bool grouped(unsigned k) { return (k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48; }

int32_t clampFor(unsigned k, int32_t v) {
  const int32_t limit = grouped(k) ? 16383 : 32767;
  return v > limit ? limit : v < -limit ? -limit : v;
}

struct Reader {
  BitReader& in;
  int32_t* coef;
  bool entryBit(unsigned, unsigned, unsigned) { return in.bit() != 0; }
  bool quadBit(unsigned, unsigned) { return in.bit() != 0; }
  void value(unsigned index, unsigned plane) {
    const int32_t magnitude = static_cast<int32_t>((1u << (plane - 1)) + in.read(plane - 1));
    coef[kCoefficientScan[index]] = in.bit() ? -magnitude : magnitude;
  }
  bool stopped() const { return false; }
};

// Writing side: bits decided from the plan; Sink is a BitWriter or a counter.
template <typename Sink>
struct Writer {
  const SignificancePlan& plan;
  const int32_t* byIndex;
  Sink& out;
  bool entryBit(unsigned mode, unsigned index, unsigned plane) {
    const bool b = plan.entryBit(mode, index, plane);
    out.put(b, 1);
    return b;
  }
  bool quadBit(unsigned index, unsigned plane) {
    const bool b = plan.quadBit(index, plane);
    out.put(b, 1);
    return b;
  }
  void value(unsigned index, unsigned plane) {
    const int32_t v = byIndex[index];
    const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
    out.put(magnitude - (1u << (plane - 1)), plane - 1);
    out.put(v < 0, 1);
  }
  bool stopped() const { return false; }
};

struct BitCounter {
  uint32_t bits = 0;
  void put(uint32_t, unsigned n) { bits += n; }
};

template <typename Sink>
void encode(Sink& out, const int32_t coef[64]) {
  int32_t byIndex[64] = {};
  SignificancePlan plan;
  for (unsigned k = 1; k < 64; ++k) {
    byIndex[k] = clampFor(k, coef[kCoefficientScan[k]]);
    plan.sig[k] = static_cast<uint8_t>(significancePlane(static_cast<uint32_t>(byIndex[k] < 0 ? -byIndex[k] : byIndex[k])));
  }
  unsigned planes = 0;
  for (const WalkEntry& e : kInitial) {
    const unsigned p = plan.firePlane(e.mode, e.index);
    if (p > planes) planes = p;
  }
  out.put(planes, 4);
  SignificanceList list(kInitial);
  Writer<Sink> w{plan, byIndex, out};
  for (unsigned plane = planes; plane >= 1; --plane) list.walk(w, plane);
}

}  // namespace

void readCoefficients(BitReader& in, int32_t coef[64]) {
  const unsigned planes = in.read(4);
  if (!planes) return;
  SignificanceList list(kInitial);
  Reader r{in, coef};
  for (unsigned plane = planes; plane >= 1; --plane) list.walk(r, plane);
}

void clampCoefficients(int32_t coef[64]) {
  for (unsigned k = 1; k < 64; ++k) coef[kCoefficientScan[k]] = clampFor(k, coef[kCoefficientScan[k]]);
}

void writeCoefficients(BitWriter& out, const int32_t coef[64]) { encode(out, coef); }

uint32_t coefficientBits(const int32_t coef[64]) {
  BitCounter c;
  encode(c, coef);
  return c.bits;
}

TOL_NS_END
