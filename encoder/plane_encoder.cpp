#include "encoder/plane_encoder.h"

#include <cstring>

#include "decode/core/block_writer.h"
#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "decode/core/idct.h"
#include "decode/core/residue_coder.h"
#include "encoder/block_options.h"
#include "encoder/block_pixels.h"
#include "encoder/colour_options.h"
#include "encoder/forward_transform.h"
#include "encoder/run_options.h"
#include "platform/ui.h"

TOL_NS_BEGIN
namespace {

// Colour 0 has no code in the colour streams; the decoder shows it as 1.
inline uint8_t shown(uint8_t c) { return c ? c : 1; }
void showColours(uint8_t* p, int n) {
  for (int i = 0; i < n; ++i) p[i] = shown(p[i]);
}

void quantised(const uint8_t* pic, const uint8_t* prediction, bool intra, unsigned q, int32_t level[64]) {
  int16_t in[64];
  for (int i = 0; i < 64; ++i) in[i] = intra ? pic[i] : static_cast<int8_t>(pic[i] - prediction[i]);
  int32_t coef[64];
  forwardTransform(in, coef);
  const QuantReciprocals& r = quantReciprocals();
  quantiseBlock(coef, intra ? r.intra[q] : r.inter[q], level);
}

// The colour-based and intra codings shared by 8x8 blocks and the coarse
// pictures of scaled blocks: writes the coding of `pic` and leaves the
// decoded 8x8 picture in `decoded`. False for a type these codings lack.
bool writePictureCoding(PlaneWriter& w, unsigned type, uint32_t param, const uint8_t pic[64], bool scaled,
                        uint8_t decoded[64]) {
  switch (type) {
    case kRunBlock: {
      RunTable table;
      buildRunTable(pic, param >> 8, table);
      uint8_t scanned[64];
      parseRuns(table, static_cast<int>(param & 255), scanned);
      unscanRuns(param >> 8, scanned, decoded);
      writeRuns(w, param >> 8, decoded, scaled);
      showColours(decoded, 64);
      return true;
    }
    case kIntraBlock: {
      int32_t level[64];
      quantised(pic, nullptr, true, param, level);
      writeIntra(w, level[0], level, param, scaled);
      idctSamples(level, dequantTables().intra[param], decoded);
      return true;
    }
    case kFillBlock:
      writeFill(w, static_cast<uint8_t>(param), scaled);
      std::memset(decoded, shown(static_cast<uint8_t>(param)), 64);
      return true;
    case kPatternBlock: {
      const PatternColours colours{static_cast<uint8_t>(param & 255), static_cast<uint8_t>(param >> 8)};
      uint8_t patterns[8];
      applyPattern(pic, colours, decoded, patterns);
      writePattern(w, colours.low, colours.high, patterns, scaled);
      showColours(decoded, 64);
      return true;
    }
    case kRawBlock:
      writeRaw(w, pic, scaled);
      std::memcpy(decoded, pic, 64);
      showColours(decoded, 64);
      return true;
    default:
      return false;
  }
}

// One 8x8 block that is not part of a scaled block.
void writeBlock(const PlaneView& v, const BlockChoices& rec, uint32_t x, uint32_t y, PlaneWriter& w) {
  const ptrdiff_t pitch = v.width;
  uint8_t src[64], mc[64], decoded[64];
  loadBlock(v.src, pitch, x, y, src);
  const unsigned type = rec.finalType;
  const bool motion = type == kMotionBlock || type == kResidueBlock || type == kInterBlock;
  if (motion) loadBlock(v.ref, pitch, x + rec.motionX, y + rec.motionY, mc);

  switch (type) {
    case kSkipBlock:
      writeSkip(w);
      loadBlock(v.ref, pitch, x, y, decoded);
      break;
    case kMotionBlock:
      writeMotion(w, rec.motionX, rec.motionY);
      std::memcpy(decoded, mc, 64);
      break;
    case kResidueBlock: {
      int8_t resid[64];
      for (int i = 0; i < 64; ++i) resid[i] = static_cast<int8_t>(src[i] - mc[i]);
      ResidueCode code;
      encodeResidue(resid, code, kBlockResidueOps);
      const unsigned ops = rec.finalParam;
      writeResidueBlock(w, rec.motionX, rec.motionY, code, ops);
      std::memcpy(decoded, mc, 64);
      for (unsigned i = 0; i < ops && i < code.opCount; ++i)
        decoded[code.ops[i].pos] = static_cast<uint8_t>(mc[code.ops[i].pos] + code.ops[i].value);
      break;
    }
    case kInterBlock: {
      int32_t level[64];
      quantised(src, mc, false, rec.finalParam, level);
      writeInter(w, rec.motionX, rec.motionY, level[0], level, rec.finalParam);
      uint8_t samples[64];
      idctSamples(level, dequantTables().inter[rec.finalParam], samples);
      for (int i = 0; i < 64; ++i) decoded[i] = static_cast<uint8_t>(mc[i] + samples[i]);
      break;
    }
    default:
      if (!writePictureCoding(w, type, rec.finalParam, src, false, decoded)) {
        ui::messageBox("Unknown block type.", "Zurn Error", ui::Icon::Error);
        return;
      }
  }
  storeBlock(v.recon, pitch, x, y, decoded);
}

// The upper half of a scaled block: its coarse coding, doubled into the
// 16x16 area.
void writeScaled(const PlaneView& v, const BlockChoices& rec, unsigned subType, uint32_t x, uint32_t y,
                 PlaneWriter& w) {
  uint8_t area[256], coarse[64], decoded[64];
  loadBlock(v.src, v.width, x, y, area, 16);
  coarsePicture(area, coarse);
  if (!writePictureCoding(w, subType, rec.finalParam, coarse, true, decoded)) {
    ui::messageBox("Unknown block type.", "Zurn Error", ui::Icon::Error);
    return;
  }
  storeDoubled(v.recon, v.width, x, y, decoded);
}

}  // namespace

bool encodePlane(const PlaneView& v, const BlockChoices* records, PlaneWriter& w, BitWriter& out,
                 CollectionUsage (&usage)[ZURNMAKE_COLLECTIONS]) {
  const uint32_t columns = v.width / 8, rows = v.height / 8;
  w.begin(v.width, v.height);
  for (uint32_t by = 0; by < rows; ++by) {
    const BlockChoices* row = records + by * columns;
    for (uint32_t bx = 0; bx < columns;) {
      const BlockChoices& rec = row[bx];
      if (rec.finalType == kScaledBlock && bx + 1 < columns) {
        const unsigned subType = row[bx + 1].finalType;
        if (subType == kScaledBlock)
          writeScaledLower(w);
        else
          writeScaled(v, rec, subType, 8 * bx, 8 * by, w);
        bx += 2;
        continue;
      }
      writeBlock(v, rec, 8 * bx, 8 * by, w);
      ++bx;
    }
    w.endRow();
  }
  out.clear();
  PlaneWriteStats stats;
  if (w.finish(out, &stats) != PlaneWriteError::none) return false;

  auto use = [&](Collection c, StreamId s, uint32_t symbols) {
    usage[c] = CollectionUsage{static_cast<uint32_t>(stats.bits[s]), symbols, true};
  };
  use(kEstBlockTypes, kBlockTypes, stats.elements[kBlockTypes]);
  use(kEstSubBlockTypes, kSubBlockTypes, stats.elements[kSubBlockTypes]);
  use(kEstColours, kColours, stats.elements[kColours]);
  use(kEstPatterns, kPatterns, stats.elements[kPatterns] / 8);  // one pattern is a block's 8 bytes
  use(kEstIntraDc, kIntraDC, stats.elements[kIntraDC]);
  use(kEstInterDc, kInterDC, stats.elements[kInterDC]);
  use(kEstRunLengths, kRunLengths, stats.elements[kRunLengths]);
  usage[kEstMotion] = CollectionUsage{static_cast<uint32_t>(stats.bits[kXOffsets] + stats.bits[kYOffsets]),
                                   stats.elements[kXOffsets], true};
  return true;
}

TOL_NS_END
