#include "decode/core/element_streams.h"

#include <cstring>

TOL_NS_BEGIN

const StreamInfo kStreamInfo[kStreamCount] = {
    {1, 1, false},  {1, 1, true}, {64, 1, false}, {8, 1, false}, {1, 1, false},
    {1, 1, false},  {1, 2, false}, {1, 2, false},  {48, 1, false},
};

namespace {

unsigned bitLength(uint32_t v) {
  unsigned n = 0;
  for (; v; v >>= 1) ++n;
  return n;
}

uint32_t countWidthBlocks(StreamId s, uint32_t planeWidth) {
  return (kStreamInfo[s].halfWidth ? planeWidth / 2 : planeWidth) / 8;
}

const CodeDescription& descriptionOf(const PlaneDescriptions& d, StreamId s) {
  switch (s) {
    case kBlockTypes: return d.blockTypes;
    case kSubBlockTypes: return d.subBlockTypes;
    case kPatterns: return d.patterns;
    case kXOffsets: return d.xOffsets;
    case kYOffsets: return d.yOffsets;
    default: return d.runLengths;
  }
}

void store16(uint8_t* out, uint32_t i, uint16_t v) { std::memcpy(out + 2 * i, &v, 2); }

}  // namespace

unsigned streamCountBits(StreamId s, uint32_t planeWidth) {
  return bitLength(streamCountLimit(s, planeWidth));
}

uint32_t streamCountLimit(StreamId s, uint32_t planeWidth) {
  return 511 + kStreamInfo[s].multiplier * countWidthBlocks(s, planeWidth);
}

uint32_t streamCapacity(StreamId s, uint32_t lumaPitch) { return 512 + kStreamInfo[s].multiplier * (lumaPitch / 8); }

uint32_t streamBufferBytes(StreamId s, uint32_t lumaPitch) {
  return (streamCapacity(s, lumaPitch) * kStreamInfo[s].elementBytes + 3) & ~3u;
}

size_t elementBuffersBytes(uint32_t lumaPitch) {
  size_t total = 0;
  for (int s = 0; s < kStreamCount; ++s) total += streamBufferBytes(static_cast<StreamId>(s), lumaPitch);
  return total;
}

void bindElementBuffers(ElementBuffers& b, uint8_t* block, uint32_t lumaPitch) {
  for (int s = 0; s < kStreamCount; ++s) {
    b.data[s] = block;
    b.capacity[s] = streamCapacity(static_cast<StreamId>(s), lumaPitch);
    block += streamBufferBytes(static_cast<StreamId>(s), lumaPitch);
  }
}

void readPlaneDescriptions(BitReader& in, PlaneDescriptions& d) {
  forEachDescription(d, [&](CodeDescription& c, StreamId) { readCodeDescription(in, c); });
}

void writePlaneDescriptions(BitWriter& out, const PlaneDescriptions& d) {
  forEachDescription(d, [&](const CodeDescription& c, StreamId) { writeCodeDescription(out, c); });
}

bool readChunk(BitReader& in, StreamId s, const PlaneDescriptions& d, uint32_t count, uint8_t* out,
               uint8_t& lastHigh) {
  switch (s) {
    case kBlockTypes:
    case kSubBlockTypes: {
      if (in.bit()) {
        std::memset(out, static_cast<int>(in.read(4)), count);
        return true;
      }
      const CodeDescription& desc = descriptionOf(d, s);
      uint8_t last = 0;
      for (uint32_t n = 0; n < count;) {
        const unsigned sym = readSymbol(in, desc);
        if (sym < 12) {
          last = static_cast<uint8_t>(sym);
          out[n++] = last;
          continue;
        }
        static constexpr uint8_t kRepeats[4] = {4, 8, 12, 32};
        const uint32_t r = kRepeats[sym - 12];
        if (r > count - n) return false;
        std::memset(out + n, last, r);
        n += r;
      }
      return true;
    }
    case kColours: {
      const uint32_t coded = in.bit() ? 1 : count;
      for (uint32_t n = 0; n < coded; ++n) {
        const unsigned high = readSymbol(in, d.colourHigh[lastHigh]);
        lastHigh = static_cast<uint8_t>(high);
        out[n] = colourFromCode(high * 16 + readSymbol(in, d.colourLow));
      }
      if (coded == 1) std::memset(out, out[0], count);
      return true;
    }
    case kPatterns:
      for (uint32_t n = 0; n < count; ++n) {
        const unsigned low = readSymbol(in, d.patterns);
        out[n] = static_cast<uint8_t>(low | readSymbol(in, d.patterns) << 4);
      }
      return true;
    case kXOffsets:
    case kYOffsets: {
      auto signedValue = [&](unsigned mag) {
        return static_cast<uint8_t>(mag && in.bit() ? -static_cast<int>(mag) : static_cast<int>(mag));
      };
      if (in.bit()) {
        std::memset(out, signedValue(in.read(4)), count);
        return true;
      }
      const CodeDescription& desc = descriptionOf(d, s);
      for (uint32_t n = 0; n < count; ++n) out[n] = signedValue(readSymbol(in, desc));
      return true;
    }
    case kRunLengths:
      if (in.bit()) {
        std::memset(out, static_cast<int>(in.read(4)), count);
        return true;
      }
      for (uint32_t n = 0; n < count; ++n) out[n] = static_cast<uint8_t>(readSymbol(in, d.runLengths));
      return true;
    case kIntraDC:
    case kInterDC: {
      uint16_t v;
      if (s == kIntraDC) {
        v = static_cast<uint16_t>(in.read(11));
      } else {
        const uint32_t mag = in.read(10);
        v = static_cast<uint16_t>(mag && in.bit() ? 0u - mag : mag);
      }
      if (count) store16(out, 0, v);
      for (uint32_t n = 1; n < count;) {
        const unsigned width = in.read(4);
        const uint32_t groupEnd = count - n < 8 ? count : n + 8;
        for (; n < groupEnd; ++n) {
          const uint32_t mag = in.read(width);
          v = static_cast<uint16_t>(v + (mag && in.bit() ? 0u - mag : mag));
          store16(out, n, v);
        }
      }
      return true;
    }
    default:
      return false;
  }
}

TOL_NS_END
