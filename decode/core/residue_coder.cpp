#include "decode/core/residue_coder.h"

#include <cstring>
#include <iterator>

#include "decode/core/scan_orders.h"
#include "decode/core/significance_walk.h"

TOL_NS_BEGIN
namespace {

constexpr WalkEntry kInitial[] = {{4, 0}, {24, 0}, {44, 0}, {0, 2}};

bool grouped(unsigned k) { return (k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48; }

// Residue values live as 8-bit two's complement; `plane` p has mask 2^(p-1).
struct Reader {
  BitReader& in;
  uint8_t* resid;
  unsigned opsLeft;
  uint8_t set[64] = {};
  unsigned setCount = 0;

  bool refine(unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    for (unsigned i = 0; i < setCount; ++i) {
      if (!in.bit()) continue;
      uint8_t& v = resid[kCoefficientScan[set[i]]];
      v = static_cast<uint8_t>(v & 0x80 ? v - mask : v + mask);
      if (--opsLeft == 0) return false;
    }
    return true;
  }
  bool entryBit(unsigned, unsigned, unsigned) { return in.bit() != 0; }
  bool quadBit(unsigned, unsigned) { return in.bit() != 0; }
  void value(unsigned index, unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    resid[kCoefficientScan[index]] = in.bit() ? static_cast<uint8_t>(-mask) : mask;
    set[setCount++] = static_cast<uint8_t>(index);
    --opsLeft;
  }
  bool stopped() const { return opsLeft == 0; }
};

// Appends bits straight into the code's fixed word array.
struct CodeSink {
  ResidueCode& code;
  void putBit(bool b) {
    const uint32_t n = code.totalBits++;
    if (n / 32 < std::size(code.words)) code.words[n / 32] |= uint32_t{b} << (n % 32);
  }
  void op(unsigned index, uint8_t value) {
    if (code.opCount >= ResidueCode::kMaxOps) return;
    code.ops[code.opCount++] =
        ResidueOperation{static_cast<uint16_t>(code.totalBits), kCoefficientScan[index], value};
  }
};

struct Writer {
  const SignificancePlan& plan;
  const int16_t* byIndex;
  CodeSink& sink;
  uint8_t current[64] = {};
  uint8_t set[64] = {};
  unsigned setCount = 0;

  void refine(unsigned plane) {
    const uint32_t mask = 1u << (plane - 1);
    for (unsigned i = 0; i < setCount; ++i) {
      const unsigned k = set[i];
      const uint32_t magnitude = static_cast<uint32_t>(byIndex[k] < 0 ? -byIndex[k] : byIndex[k]);
      const bool b = (magnitude & mask) != 0;
      sink.putBit(b);
      if (!b) continue;
      uint8_t& v = current[k];
      v = static_cast<uint8_t>(v & 0x80 ? v - mask : v + mask);
      sink.op(k, v);
    }
  }
  bool entryBit(unsigned mode, unsigned index, unsigned plane) {
    const bool b = plan.entryBit(mode, index, plane);
    sink.putBit(b);
    return b;
  }
  bool quadBit(unsigned index, unsigned plane) {
    const bool b = plan.quadBit(index, plane);
    sink.putBit(b);
    return b;
  }
  void value(unsigned index, unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    const bool negative = byIndex[index] < 0;
    sink.putBit(negative);
    current[index] = negative ? static_cast<uint8_t>(-mask) : mask;
    set[setCount++] = static_cast<uint8_t>(index);
    sink.op(index, current[index]);
  }
  bool stopped() const { return false; }
};

}  // namespace

void readResidue(BitReader& in, unsigned limit, uint8_t resid[64]) {
  const unsigned planes = in.read(3) + 1;
  SignificanceList list(kInitial);
  Reader r{in, resid, limit};
  for (unsigned plane = planes; plane >= 1; --plane)
    if (!r.refine(plane) || !list.walk(r, plane)) return;
}

void encodeResidue(const int8_t resid[64], ResidueCode& code) {
  int16_t byIndex[64];
  SignificancePlan plan;
  for (unsigned k = 0; k < 64; ++k) {
    int v = resid[kCoefficientScan[k]];
    if (grouped(k) && v < -127) v = -127;
    byIndex[k] = static_cast<int16_t>(v);
    plan.sig[k] = static_cast<uint8_t>(significancePlane(static_cast<uint32_t>(v < 0 ? -v : v)));
  }
  unsigned planes = 1;
  for (const WalkEntry& e : kInitial) {
    const unsigned p = plan.firePlane(e.mode, e.index);
    if (p > planes) planes = p;
  }
  std::memset(code.words, 0, sizeof code.words);
  code.totalBits = 0;
  code.opCount = 0;
  CodeSink sink{code};
  for (unsigned b = 0; b < 3; ++b) sink.putBit(((planes - 1) >> b) & 1);
  SignificanceList list(kInitial);
  Writer w{plan, byIndex, sink};
  for (unsigned plane = planes; plane >= 1; --plane) {
    w.refine(plane);
    list.walk(w, plane);
  }
}

void writeResidue(BitWriter& out, const ResidueCode& code, unsigned ops) {
  if (ops < 1) ops = 1;
  if (ops > 128) ops = 128;
  out.put(ops - 1, 7);
  const uint32_t bits = ops <= code.opCount ? code.ops[ops - 1].endBit : code.totalBits;
  for (uint32_t pos = 0; pos < bits; pos += 32) {
    const unsigned n = bits - pos < 32 ? bits - pos : 32;
    out.put(code.words[pos / 32], n);
  }
}

TOL_NS_END
