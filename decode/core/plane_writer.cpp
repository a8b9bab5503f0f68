#include "decode/core/plane_writer.h"

TOL_NS_BEGIN
namespace {

// Prefix-coded quantities: block types, sub-block types, 16 colour high
// nibbles (by previous high nibble), colour low nibble, patterns, x, y, runs.
enum Quantity { kQBlock = 0, kQSub = 1, kQHigh = 2, kQLow = 18, kQPattern = 19, kQX = 20, kQY = 21, kQRun = 22, kQCount = 23 };

unsigned bitLength(uint32_t v) {
  unsigned n = 0;
  for (; v; v >>= 1) ++n;
  return n;
}

bool allEqual(const int16_t* v, uint32_t n) {
  for (uint32_t i = 1; i < n; ++i)
    if (v[i] != v[0]) return false;
  return true;
}

// Codes one refill's elements (after its count field) into `out`, which
// either counts symbols or writes bits. Returns false for a value the
// stream's syntax cannot carry.
template <typename Out>
bool codeChunk(StreamId s, const int16_t* v, uint32_t n, Out& out, uint8_t& lastHigh) {
  switch (s) {
    case kBlockTypes:
    case kSubBlockTypes: {
      const Quantity q = s == kBlockTypes ? kQBlock : kQSub;
      bool repeatable = allEqual(v, n) && (v[0] == 0 || v[0] >= 12);
      if (repeatable) {
        if (v[0] < 0 || v[0] > 15) return false;
        out.raw(1, 1);
        out.raw(static_cast<uint32_t>(v[0]), 4);
        return true;
      }
      out.raw(0, 1);
      int last = 0;
      for (uint32_t i = 0; i < n;) {
        if (v[i] == last) {
          uint32_t r = 0;
          while (i + r < n && v[i + r] == last) ++r;
          i += r;
          for (; r > 32; r -= 32) out.symbol(q, 15);
          for (; r >= 13; r -= 12) out.symbol(q, 14);
          if (r >= 9) out.symbol(q, 13), r -= 8;
          if (r >= 5) out.symbol(q, 12), r -= 4;
          for (; r; --r) out.symbol(q, static_cast<unsigned>(last));
          continue;
        }
        if (v[i] < 0 || v[i] > 11) return false;
        last = v[i++];
        out.symbol(q, static_cast<unsigned>(last));
      }
      return true;
    }
    case kColours: {
      const bool repeated = n >= 2 && allEqual(v, n);
      out.raw(repeated, 1);
      for (uint32_t i = 0; i < (repeated ? 1 : n); ++i) {
        if (v[i] < 0 || v[i] > 255) return false;
        const unsigned code = colourCode(static_cast<uint8_t>(v[i]));
        out.symbol(kQHigh + lastHigh, code >> 4);
        lastHigh = static_cast<uint8_t>(code >> 4);
        out.symbol(kQLow, code & 15);
      }
      return true;
    }
    case kPatterns:
      for (uint32_t i = 0; i < n; ++i) {
        if (v[i] < 0 || v[i] > 255) return false;
        out.symbol(kQPattern, v[i] & 15);
        out.symbol(kQPattern, v[i] >> 4);
      }
      return true;
    case kXOffsets:
    case kYOffsets: {
      const bool repeated = n >= 2 && allEqual(v, n);
      out.raw(repeated, 1);
      for (uint32_t i = 0; i < (repeated ? 1 : n); ++i) {
        if (v[i] < -15 || v[i] > 15) return false;
        const unsigned mag = static_cast<unsigned>(v[i] < 0 ? -v[i] : v[i]);
        if (repeated)
          out.raw(mag, 4);
        else
          out.symbol(s == kXOffsets ? kQX : kQY, mag);
        if (mag) out.raw(v[i] < 0, 1);
      }
      return true;
    }
    case kRunLengths: {
      const bool repeated = n >= 2 && allEqual(v, n);
      out.raw(repeated, 1);
      for (uint32_t i = 0; i < (repeated ? 1 : n); ++i) {
        if (v[i] < 0 || v[i] > 15) return false;
        if (repeated)
          out.raw(static_cast<uint32_t>(v[i]), 4);
        else
          out.symbol(kQRun, static_cast<unsigned>(v[i]));
      }
      return true;
    }
    case kIntraDC:
    case kInterDC: {
      if (s == kIntraDC) {
        if (v[0] < 0 || v[0] > 2047) return false;
        out.raw(static_cast<uint32_t>(v[0]), 11);
      } else {
        if (v[0] < -1023 || v[0] > 1023) return false;
        out.raw(static_cast<uint32_t>(v[0] < 0 ? -v[0] : v[0]), 10);
        if (v[0]) out.raw(v[0] < 0, 1);
      }
      for (uint32_t i = 1; i < n; i += 8) {
        const uint32_t end = n - i < 8 ? n : i + 8;
        int32_t diff[8];
        unsigned width = 0;
        for (uint32_t k = i; k < end; ++k) {
          diff[k - i] = static_cast<int16_t>(static_cast<uint16_t>(v[k] - v[k - 1]));
          if (diff[k - i] == -32768) return false;
          const unsigned w = bitLength(static_cast<uint32_t>(diff[k - i] < 0 ? -diff[k - i] : diff[k - i]));
          if (w > width) width = w;
        }
        out.raw(width, 4);
        for (uint32_t k = i; k < end; ++k) {
          const int32_t d = diff[k - i];
          out.raw(static_cast<uint32_t>(d < 0 ? -d : d), width);
          if (d) out.raw(d < 0, 1);
        }
      }
      return true;
    }
    default:
      return false;
  }
}

struct Counter {
  uint32_t counts[kQCount][16] = {};
  void raw(uint32_t, unsigned) {}
  void symbol(unsigned q, unsigned sym) { ++counts[q][sym & 15]; }
};

struct Emitter {
  BitWriter& out;
  const CodeDescription* desc;  // by quantity
  void raw(uint32_t v, unsigned n) { out.put(v, n); }
  void symbol(unsigned q, unsigned sym) { writeSymbol(out, desc[q], sym); }
};

}  // namespace

void PlaneWriter::begin(uint32_t width, uint32_t height) {
  width_ = width;
  height_ = height;
  for (int s = 0; s < kStreamCount; ++s) {
    values_[s].clear();
    rowEnd_[s].clear();
  }
  directRowEnd_.clear();
  direct_.clear();
}

void PlaneWriter::endRow() {
  for (int s = 0; s < kStreamCount; ++s) rowEnd_[s].push(static_cast<uint32_t>(values_[s].size()));
  directRowEnd_.push(direct_.bitCount());
}

PlaneWriteError PlaneWriter::finish(BitWriter& out, PlaneWriteStats* stats) {
  const uint32_t rows = height_ / 8;
  if (directRowEnd_.size() != rows) return PlaneWriteError::rowCount;
  for (int s = 0; s < kStreamCount; ++s)
    if (values_[s].failed() || rowEnd_[s].failed()) return PlaneWriteError::outOfMemory;
  if (directRowEnd_.failed() || direct_.failed()) return PlaneWriteError::outOfMemory;

  auto rowStart = [&](int s, uint32_t r) { return r ? rowEnd_[s][r - 1] : 0u; };

  // Pass 1: symbol counts of every quantity over the plane, row limits.
  Counter counter;
  uint8_t lastHigh = 0;
  for (int s = 0; s < kStreamCount; ++s) {
    const StreamId id = static_cast<StreamId>(s);
    for (uint32_t r = 0; r < rows; ++r) {
      const uint32_t n = rowEnd_[s][r] - rowStart(s, r);
      if (!n) continue;
      if (n > streamCountLimit(id, width_)) return PlaneWriteError::rowOverLimit;
      if (!codeChunk(id, values_[s].data() + rowStart(s, r), n, counter, lastHigh))
        return PlaneWriteError::unwritableValue;
    }
  }

  // Descriptions fitted to the whole plane.
  CodeDescription desc[kQCount];
  for (int q = 0; q < kQCount; ++q) chooseCodeDescription(counter.counts[q], desc[q]);
  PlaneDescriptions pd;
  pd.blockTypes = desc[kQBlock];
  pd.subBlockTypes = desc[kQSub];
  for (int h = 0; h < 16; ++h) pd.colourHigh[h] = desc[kQHigh + h];
  pd.colourLow = desc[kQLow];
  pd.patterns = desc[kQPattern];
  pd.xOffsets = desc[kQX];
  pd.yOffsets = desc[kQY];
  pd.runLengths = desc[kQRun];

  PlaneWriteStats st{};
  forEachDescription(pd, [&](const CodeDescription& d, StreamId s) { st.bits[s] += codeDescriptionBits(d); });
  writePlaneDescriptions(out, pd);

  // Pass 2: the rows, each with the refills the decoder asks for.
  Emitter emit{out, desc};
  int64_t busyUntil[kStreamCount];
  uint32_t nextRow[kStreamCount] = {};
  bool finished[kStreamCount] = {};
  for (int64_t& b : busyUntil) b = -1;
  lastHigh = 0;
  for (uint32_t r = 0; r < rows; ++r) {
    for (int s = 0; s < kStreamCount; ++s) {
      if (finished[s] || busyUntil[s] >= r) continue;
      const StreamId id = static_cast<StreamId>(s);
      uint32_t& rr = nextRow[s];
      if (rr < r) rr = r;
      while (rr < rows && rowEnd_[s][rr] == rowStart(s, rr)) ++rr;
      const uint64_t before = out.bitCount();
      const unsigned countBits = streamCountBits(id, width_);
      if (rr == rows) {
        out.put(0, countBits);
        finished[s] = true;
      } else {
        const uint32_t n = rowEnd_[s][rr] - rowStart(s, rr);
        out.put(n, countBits);
        codeChunk(id, values_[s].data() + rowStart(s, rr), n, emit, lastHigh);
        st.elements[s] += n;
        busyUntil[s] = rr;
        ++rr;
      }
      st.bits[s] += out.bitCount() - before;
    }
    const uint64_t from = r ? directRowEnd_[r - 1] : 0;
    out.append(direct_, from, directRowEnd_[r] - from);
  }
  out.finishWords();
  if (out.failed()) return PlaneWriteError::outOfMemory;
  if (stats) *stats = st;
  return PlaneWriteError::none;
}

TOL_NS_END
