// Code descriptions: which of the sixteen prefix codes a coded quantity uses
// and how the code's positions map to symbols (symbol = symbolAt[position]).
//
// Syntax: 4 bits table number T. T = 0 means the plain 4-bit value with the
// identity order and nothing more. Otherwise one variant bit:
//  - 1, explicit: 3 bits n, then n + 1 symbols of 4 bits for positions 0..n;
//    the symbols not named fill the following positions in ascending order.
//  - 0, merge: 2 bits d, then d + 1 merge passes with run sizes 1, 2, .., 2^d
//    over the identity order; in each merge of two runs one bit per step
//    picks the first run's next element (0) or the second's (1) until one
//    run is exhausted, whose partner then follows without bits.
//
// The writer side keeps the variant and its parameter with the order, writes
// the description back and picks the cheapest description for a set of
// symbol counts (chooseCodeDescription).
#pragma once

#include <cstdint>

#include "decode/core/bit_reader.h"
#include "decode/core/bit_writer.h"
#include "decode/core/prefix_codes.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct CodeDescription {
  enum Variant : uint8_t { kPlain, kExplicit, kMerge };

  uint8_t table = 0;
  uint8_t symbolAt[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  uint8_t positionOf[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  Variant variant = kPlain;
  uint8_t param = 0;  // n of the explicit variant, d of the merge variant

  // Table 0: plain 4-bit values.
  static CodeDescription plain() { return {}; }
  // Explicit variant: `first` names the symbols of positions 0..n (distinct).
  static CodeDescription explicitOrder(unsigned table, unsigned n, const uint8_t* first);
  // Merge variant with d + 1 passes; valid when `order` is reachable by those
  // passes (any permutation is reachable with d = 3). Returns false otherwise.
  static bool merged(unsigned table, unsigned d, const uint8_t order[16], CodeDescription& out);
};

// Reads a description. Damaged explicit lists (repeated symbols) still give
// an order of 16 symbols; decoding with it stays well defined.
void readCodeDescription(BitReader& in, CodeDescription& d);
void writeCodeDescription(BitWriter& out, const CodeDescription& d);
// Size of the written description in bits (table number included).
unsigned codeDescriptionBits(const CodeDescription& d);

inline unsigned readSymbol(BitReader& in, const CodeDescription& d) {
  const PrefixCode& c = kPrefixCodes[d.table];
  return d.symbolAt[in.prefix(c.lookup, c.longest)];
}
inline void writeSymbol(BitWriter& out, const CodeDescription& d, unsigned symbol) {
  const PrefixCode& c = kPrefixCodes[d.table];
  const unsigned pos = d.positionOf[symbol & 15];
  out.put(c.bits[pos], c.length[pos]);
}
inline unsigned symbolBits(const CodeDescription& d, unsigned symbol) {
  return kPrefixCodes[d.table].length[d.positionOf[symbol & 15]];
}

// Chooses the description that codes symbols occurring counts[s] times most
// cheaply: every table with its best explicit and merge variant, the merge
// variant winning ties between the two, the lowest table number winning ties
// between tables. Returns the exact bits of description plus symbols.
uint64_t chooseCodeDescription(const uint32_t counts[16], CodeDescription& out);

TOL_NS_END
