#include "encoder/block_options.h"

#include <cstdlib>
#include <cstring>

#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "decode/core/idct.h"
#include "decode/core/residue_coder.h"
#include "encoder/coefficient_cost.h"
#include "encoder/colour_convert.h"
#include "encoder/colour_options.h"
#include "encoder/forward_transform.h"
#include "encoder/option_pruning.h"
#include "encoder/pixel_kernels.h"
#include "encoder/plane_stats.h"
#include "encoder/run_options.h"

TOL_NS_BEGIN
namespace {

constexpr int32_t kFourBits = 4 * 256;    // run order or quantiser field
constexpr int32_t kSevenBits = 7 * 256;   // residue operation count
constexpr int kInterDcLimit = 1023;       // the largest first value of an inter DC refill

// SAD of n samples (a multiple of 64) against one colour.
uint32_t sadFlat(const uint8_t* samples, int n, uint8_t colour) {
  uint8_t flat[64];
  std::memset(flat, colour, sizeof flat);
  uint32_t s = 0;
  for (int i = 0; i < n; i += 64) s += pixelKernels().sad64(samples + i, flat);
  return s;
}

template <typename ErrorFn>
void addPattern(const uint8_t pic[64], const uint8_t sorted[64], const uint32_t est[8], ErrorFn error,
                CandidateList& out) {
  PatternColours c;
  if (!choosePatternColours(sorted, c)) return;
  uint8_t decoded[64], patterns[8];
  applyPattern(pic, c, decoded, patterns);
  out.add(kPatternBlock, static_cast<int32_t>(est[kEstPatterns] + 2 * est[kEstColours]), error(decoded),
          static_cast<uint16_t>(c.low + 256 * c.high));
}

// Every threshold that changes the parse gives a candidate; the run
// candidates are pruned among themselves before they join the list.
template <typename ErrorFn>
void addRuns(const uint8_t pic[64], const uint32_t est[8], ErrorFn error, CandidateList& out) {
  RunTable table;
  buildRunTable(pic, chooseRunOrder(pic), table);
  Candidate runs[256];
  int n = 0;
  for (int threshold = 0; threshold < 256;) {
    uint8_t scanned[64], decoded[64];
    const int next = parseRuns(table, threshold, scanned);
    unscanRuns(table.order, scanned, decoded);
    runs[n++] = Candidate{runCodingSize(scanned, est) + kFourBits, error(decoded),
                          static_cast<uint16_t>(threshold + 256 * table.order), kRunBlock};
    threshold = next;
  }
  pruneToPareto(runs, n);
  for (int i = 0; i < n; ++i) out.add(runs[i].type, runs[i].size, runs[i].error, runs[i].param);
}

// Quantisers from the finest up, until every AC coefficient vanishes.
template <typename ErrorFn>
void addIntra(const uint8_t pic[64], const uint32_t est[8], ErrorFn error, CandidateList& out) {
  int16_t in[64];
  for (int i = 0; i < 64; ++i) in[i] = pic[i];
  int32_t coef[64], level[64];
  forwardTransform(in, coef);
  const QuantReciprocals& r = quantReciprocals();
  const DequantTables& t = dequantTables();
  for (unsigned q = 0; q < 16; ++q) {
    if (!quantiseBlock(coef, r.intra[q], level)) break;
    uint8_t decoded[64];
    idctSamples(level, t.intra[q], decoded);
    out.add(kIntraBlock, static_cast<int32_t>(est[kEstIntraDc] + 256 * coefficientCost(level)) + kFourBits,
            error(decoded), static_cast<uint16_t>(q));
  }
}

// Residue: every operation of the residue code is a candidate (the code
// cut after it), until the block is exact or 127 operations are used.
void addResidue(const BlockSamples& b, const uint32_t est[8], CandidateList& out) {
  int8_t resid[64];
  for (int i = 0; i < 64; ++i) resid[i] = static_cast<int8_t>(b.src[i] - b.mc[i]);
  ResidueCode code;
  encodeResidue(resid, code, kBlockResidueOps);
  uint8_t current[64];
  std::memcpy(current, b.mc, 64);
  uint32_t error = pixelKernels().sad64(current, b.src);
  const unsigned steps = code.opCount < 127 ? code.opCount : 127;
  for (unsigned i = 0; i < steps && error != 0; ++i) {
    const ResidueOperation& op = code.ops[i];
    error -= static_cast<uint32_t>(std::abs(current[op.pos] - b.src[op.pos]));
    current[op.pos] = static_cast<uint8_t>(b.mc[op.pos] + op.value);
    error += static_cast<uint32_t>(std::abs(current[op.pos] - b.src[op.pos]));
    out.add(kResidueBlock, static_cast<int32_t>(est[kEstMotion] + 256 * op.endBit) + kSevenBits, error,
            static_cast<uint16_t>(i + 1));
  }
}

// Inter transform of the motion-compensated residue; the quantiser that
// removes every AC coefficient still gives its candidate.
void addInter(const BlockSamples& b, const uint32_t est[8], CandidateList& out) {
  int16_t in[64];
  for (int i = 0; i < 64; ++i) in[i] = static_cast<int8_t>(b.src[i] - b.mc[i]);
  int32_t coef[64], level[64];
  forwardTransform(in, coef);
  const QuantReciprocals& r = quantReciprocals();
  const DequantTables& t = dequantTables();
  for (unsigned q = 0; q < 16; ++q) {
    const bool anyAc = quantiseBlock(coef, r.inter[q], level);
    if (std::abs(level[0]) <= kInterDcLimit) {
        uint8_t samples[64], decoded[64];
      idctSamples(level, t.inter[q], samples);
      for (int i = 0; i < 64; ++i) decoded[i] = static_cast<uint8_t>(b.mc[i] + samples[i]);
      out.add(kInterBlock,
              static_cast<int32_t>(est[kEstInterDc] + 256 * coefficientCost(level) + est[kEstMotion]) + kFourBits,
              pixelKernels().sad64(decoded, b.src), static_cast<uint16_t>(q));
    }
    if (!anyAc) break;
  }
}

void finishBlock(CandidateList& list, const uint32_t est[8], BlockChoices& record) {
  pruneToConvexHull(list.item, list.count);
  thinOptions(list.item, list.count, kMaxBlockOptions);
  storeOptions(record, list.item, list.count, static_cast<int32_t>(est[kEstBlockTypes]));
}

void finishArea(CandidateList& list, const uint32_t est[8], BlockChoices& record) {
  pruneToPareto(list.item, list.count);
  thinOptions(list.item, list.count, kMaxAreaOptions);
  storeOptions(record, list.item, list.count, static_cast<int32_t>(2 * est[kEstBlockTypes] + est[kEstSubBlockTypes]));
}

}  // namespace

void buildBlockOptions(const BlockSamples& b, const uint32_t est[8], BlockChoices& record) {
  const PixelKernels& k = pixelKernels();
  record.motionX = b.motionX;
  record.motionY = b.motionY;
  CandidateList list;
  if (b.delta) {
    const uint32_t skipError = k.sad64(b.src, b.ref);
    list.add(kSkipBlock, 0, skipError, 0);
    if (skipError == 0) return finishBlock(list, est, record);
  }
  uint8_t sorted[64];
  sortSamples(b.src, 64, sorted);
  const uint8_t fill = fillColour(sorted);
  const uint32_t fillError = sadFlat(b.src, 64, fill);
  list.add(kFillBlock, static_cast<int32_t>(est[kEstColours]), fillError, fill);
  if (fillError == 0) return finishBlock(list, est, record);

  auto error = [&](const uint8_t* decoded) { return k.sad64(decoded, b.src); };
  addPattern(b.src, sorted, est, error, list);
  addRuns(b.src, est, error, list);
  addIntra(b.src, est, error, list);
  if (b.delta) {
    addResidue(b, est, list);
    addInter(b, est, list);
    list.add(kMotionBlock, static_cast<int32_t>(est[kEstMotion]), k.sad64(b.src, b.mc), 0);
  }
  list.add(kRawBlock, static_cast<int32_t>(64 * est[kEstColours]), 0, 0);
  finishBlock(list, est, record);
}

void coarsePicture(const uint8_t src[256], uint8_t coarse[64]) {
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      const uint8_t* p = src + 32 * r + 2 * c;
      coarse[8 * r + c] = middleMean(p[0], p[1], p[16], p[17]);
    }
}

uint32_t sadDoubledPlain(const uint8_t coarse[64], const uint8_t src[256]) {
  uint32_t s = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) s += static_cast<uint32_t>(std::abs(coarse[8 * (y / 2) + x / 2] - src[16 * y + x]));
  return s;
}

uint32_t sadDoubled(const uint8_t coarse[64], const uint8_t src[256]) {
  static const auto kernel = [] {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("sse2")) return sadDoubledSse2;
#endif
    return sadDoubledPlain;
  }();
  return kernel(coarse, src);
}

void buildAreaOptions(const uint8_t src[256], const uint8_t* ref, const uint32_t est[8], BlockChoices& record) {
  record.motionX = record.motionY = 0;
  uint8_t coarse[64];
  coarsePicture(src, coarse);
  if (ref && sadDoubled(coarse, ref) == 0) {  // the reference already holds the coarse picture
    record.optionCount = 0;
    return;
  }
  CandidateList list;
  uint8_t sorted256[256];
  sortSamples(src, 256, sorted256);
  const uint8_t fill = static_cast<uint8_t>((sorted256[127] + sorted256[128]) >> 1);
  const uint32_t fillError = sadFlat(src, 256, fill);
  list.add(kFillBlock, static_cast<int32_t>(est[kEstColours]), fillError, fill);
  if (fillError == 0) return finishArea(list, est, record);

  auto error = [&](const uint8_t* decoded) { return sadDoubled(decoded, src); };
  uint8_t sorted[64];
  sortSamples(coarse, 64, sorted);
  addPattern(coarse, sorted, est, error, list);
  addRuns(coarse, est, error, list);
  addIntra(coarse, est, error, list);
  list.add(kRawBlock, static_cast<int32_t>(64 * est[kEstColours]), sadDoubled(coarse, src), 0);
  finishArea(list, est, record);
}

TOL_NS_END
