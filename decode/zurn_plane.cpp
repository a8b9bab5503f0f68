// The plane routine: block loop, block types, element-stream refills and the
// fault policy described in zurn_frame.h.
#include <cstring>

#include "decode/core/bit_reader.h"
#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "decode/core/element_streams.h"
#include "decode/core/idct.h"
#include "decode/core/residue_coder.h"
#include "decode/core/scan_orders.h"
#include "decode/zurn_frame.h"

TOL_NS_BEGIN
namespace {

struct StreamState {
  uint8_t* buf;
  uint32_t capacity;
  uint32_t read, end;
  unsigned countBits;
  bool finished;
};


class PlaneDecoder {
 public:
  explicit PlaneDecoder(const PlaneJob& job)
      : job_(job),
        in_(job.data, job.end),
        dq_(dequantTables()),
        cols_(job.width / 8),
        rows_(job.height / 8),
        mapPitch_(job.pitch * job.mapStep / 16) {}

  PlaneResult run() {
    for (int s = 0; s < kStreamCount; ++s) {
      const StreamId id = static_cast<StreamId>(s);
      streams_[s] = StreamState{job_.streams->data[s], job_.streams->capacity[s], 0, 0,
                                streamCountBits(id, job_.width), false};
    }
    readPlaneDescriptions(in_, desc_);
    for (uint32_t by = 0; by < rows_; ++by) {
      DecodeFault f = refill();
      if (f == DecodeFault::none && in_.overrun()) f = DecodeFault::truncated;
      if (f != DecodeFault::none) return stop(0, by, f);
      for (uint32_t bx = 0; bx < cols_;) {
        unsigned advance = 1;
        f = block(bx, by, advance);
        if (f == DecodeFault::none && in_.overrun()) f = DecodeFault::truncated;
        if (f != DecodeFault::none) return stop(bx, by, f);
        bx += advance;
      }
    }
    return PlaneResult{in_.position(), DecodeFault::none};
  }

 private:
  DecodeFault refill() {
    for (int s = 0; s < kStreamCount; ++s) {
      StreamState& st = streams_[s];
      if (st.read < st.end || st.finished) continue;
      const uint32_t count = in_.read(st.countBits);
      if (count == 0) {
        st.finished = true;
        continue;
      }
      if (count > st.capacity) return DecodeFault::countOverCapacity;
      if (!readChunk(in_, static_cast<StreamId>(s), desc_, count, st.buf, lastHigh_))
        return DecodeFault::repeatOverrun;
      st.read = 0;
      st.end = count;
    }
    return DecodeFault::none;
  }

  // n elements of a byte stream; null when the stream cannot give them.
  const uint8_t* take(StreamId s, uint32_t n) {
    StreamState& st = streams_[s];
    if (st.end - st.read < n) return nullptr;
    const uint8_t* p = st.buf + st.read;
    st.read += n;
    return p;
  }
  bool take8(StreamId s, uint8_t& v) {
    const uint8_t* p = take(s, 1);
    if (p) v = *p;
    return p != nullptr;
  }
  bool take16(StreamId s, int32_t& v) {
    StreamState& st = streams_[s];
    if (st.read == st.end) return false;
    int16_t x;
    std::memcpy(&x, st.buf + 2 * st.read++, 2);
    v = x;
    return true;
  }

  uint8_t* dst(uint32_t bx, uint32_t by) const { return job_.dst + size_t{by} * 8 * job_.pitch + bx * 8; }
  const uint8_t* ref(uint32_t bx, uint32_t by) const { return job_.ref + size_t{by} * 8 * job_.pitch + bx * 8; }

  void mark(uint32_t bx, uint32_t by) {
    job_.map[(by * 8 * job_.mapStep / 16) * mapPitch_ + bx * 8 * job_.mapStep / 16] = 1;
  }

  void copy8(uint8_t* d, const uint8_t* s) const {
    for (int r = 0; r < 8; ++r) std::memcpy(d + r * job_.pitch, s + r * job_.pitch, 8);
  }

  // The offset reference block, or a fault when it leaves the plane.
  DecodeFault offsetRef(uint32_t bx, uint32_t by, const uint8_t*& p) {
    uint8_t x, y;
    if (!take8(kXOffsets, x) || !take8(kYOffsets, y)) return DecodeFault::streamExhausted;
    const int64_t px = int64_t{bx} * 8 + static_cast<int8_t>(x);
    const int64_t py = int64_t{by} * 8 + static_cast<int8_t>(y);
    if (px < 0 || py < 0 || px + 8 > job_.width || py + 8 > job_.height) return DecodeFault::motionOutside;
    p = job_.ref + py * job_.pitch + px;
    return DecodeFault::none;
  }

  // 8x8 content of the pixel-producing types into tmp (raster order).
  DecodeFault runs(uint8_t tmp[64]) {
    const uint8_t* order = kRunOrders[in_.read(4)];
    unsigned i = 0;
    while (i < 63) {
      const bool repeated = in_.bit();
      uint8_t len;
      if (!take8(kRunLengths, len)) return DecodeFault::streamExhausted;
      const unsigned n = len + 1u;
      if (i + n > 64) return DecodeFault::runOverrun;
      const uint8_t* c = take(kColours, repeated ? 1 : n);
      if (!c) return DecodeFault::streamExhausted;
      for (unsigned k = 0; k < n; ++k) tmp[order[i + k]] = c[repeated ? 0 : k];
      i += n;
    }
    if (i == 63 && !take8(kColours, tmp[order[63]])) return DecodeFault::streamExhausted;
    return DecodeFault::none;
  }
  DecodeFault pattern(uint8_t tmp[64]) {
    const uint8_t* c = take(kColours, 2);
    const uint8_t* p = c ? take(kPatterns, 8) : nullptr;
    if (!p) return DecodeFault::streamExhausted;
    for (int r = 0; r < 8; ++r)
      for (int k = 0; k < 8; ++k) tmp[8 * r + k] = c[(p[r] >> k) & 1];
    return DecodeFault::none;
  }
  DecodeFault raw(uint8_t tmp[64]) {
    const uint8_t* c = take(kColours, 64);
    if (!c) return DecodeFault::streamExhausted;
    std::memcpy(tmp, c, 64);
    return DecodeFault::none;
  }
  DecodeFault transform(StreamId dcStream, int32_t coef[64], unsigned& q) {
    std::memset(coef, 0, 64 * sizeof(int32_t));
    if (!take16(dcStream, coef[0])) return DecodeFault::streamExhausted;
    readCoefficients(in_, coef);
    q = in_.read(4);
    return DecodeFault::none;
  }

  void put8(uint8_t* d, const uint8_t tmp[64]) const {
    for (int r = 0; r < 8; ++r) std::memcpy(d + r * job_.pitch, tmp + 8 * r, 8);
  }
  void put16(uint8_t* d, const uint8_t tmp[64]) const {
    for (int r = 0; r < 16; ++r) {
      uint8_t* row = d + r * job_.pitch;
      const uint8_t* s = tmp + 8 * (r / 2);
      for (int k = 0; k < 16; ++k) row[k] = s[k / 2];
    }
  }

  DecodeFault scaled(uint32_t bx, uint32_t by) {
    if (bx + 1 >= cols_) return DecodeFault::scaledOutside;
    if (by & 1) return DecodeFault::none;  // lower half: written by the block above
    if (by + 1 >= rows_) return DecodeFault::scaledOutside;
    uint8_t sub;
    if (!take8(kSubBlockTypes, sub)) return DecodeFault::streamExhausted;
    uint8_t* d = dst(bx, by);
    uint8_t tmp[64];
    DecodeFault f = DecodeFault::none;
    switch (sub) {
      case 3: f = runs(tmp); break;
      case 5: {
        int32_t coef[64];
        unsigned q;
        f = transform(kIntraDC, coef, q);
        if (f == DecodeFault::none) idctPutScaled(d, job_.pitch, coef, dq_.intra[q]);
        break;
      }
      case 6: {
        uint8_t c;
        if (!take8(kColours, c)) return DecodeFault::streamExhausted;
        for (int r = 0; r < 16; ++r) std::memset(d + r * job_.pitch, c, 16);
        break;
      }
      case 8: f = pattern(tmp); break;
      case 9: f = raw(tmp); break;
      default: break;
    }
    if (f != DecodeFault::none) return f;
    if (sub == 3 || sub == 8 || sub == 9) put16(d, tmp);
    mark(bx, by);
    mark(bx + 1, by);
    mark(bx, by + 1);
    mark(bx + 1, by + 1);
    return DecodeFault::none;
  }

  DecodeFault block(uint32_t bx, uint32_t by, unsigned& advance) {
    uint8_t type;
    if (!take8(kBlockTypes, type)) return DecodeFault::streamExhausted;
    uint8_t* d = dst(bx, by);
    uint8_t tmp[64];
    int32_t coef[64];
    const uint8_t* src;
    unsigned q;
    DecodeFault f = DecodeFault::none;
    switch (type) {
      case 0:
        copy8(d, ref(bx, by));
        return DecodeFault::none;
      case 1:
        advance = 2;
        return scaled(bx, by);
      case 2:
        if ((f = offsetRef(bx, by, src)) != DecodeFault::none) return f;
        copy8(d, src);
        break;
      case 3:
        if ((f = runs(tmp)) != DecodeFault::none) return f;
        put8(d, tmp);
        break;
      case 4: {
        if ((f = offsetRef(bx, by, src)) != DecodeFault::none) return f;
        uint8_t resid[64] = {};
        readResidue(in_, in_.read(7) + 1, resid);
        for (int r = 0; r < 8; ++r)
          for (int k = 0; k < 8; ++k)
            d[r * job_.pitch + k] = static_cast<uint8_t>(src[r * job_.pitch + k] + resid[8 * r + k]);
        break;
      }
      case 5:
        if ((f = transform(kIntraDC, coef, q)) != DecodeFault::none) return f;
        idctPut(d, job_.pitch, coef, dq_.intra[q]);
        break;
      case 6: {
        uint8_t c;
        if (!take8(kColours, c)) return DecodeFault::streamExhausted;
        for (int r = 0; r < 8; ++r) std::memset(d + r * job_.pitch, c, 8);
        break;
      }
      case 7:
        if ((f = offsetRef(bx, by, src)) != DecodeFault::none) return f;
        if ((f = transform(kInterDC, coef, q)) != DecodeFault::none) return f;
        idctAdd(d, job_.pitch, src, job_.pitch, coef, dq_.inter[q]);
        break;
      case 8:
        if ((f = pattern(tmp)) != DecodeFault::none) return f;
        put8(d, tmp);
        break;
      case 9:
        if ((f = raw(tmp)) != DecodeFault::none) return f;
        put8(d, tmp);
        break;
      default:
        return DecodeFault::none;  // 10..15: nothing written, nothing marked
    }
    mark(bx, by);
    return DecodeFault::none;
  }

  // Conceals the damage: every block from (bx, by) on in raster order shows
  // the reference.
  PlaneResult stop(uint32_t bx, uint32_t by, DecodeFault f) {
    for (uint32_t r = by * 8; r < job_.height; ++r) {
      const uint32_t from = r < by * 8 + 8 ? bx * 8 : 0;
      std::memcpy(job_.dst + size_t{r} * job_.pitch + from, job_.ref + size_t{r} * job_.pitch + from, job_.width - from);
    }
    return PlaneResult{in_.position(), f};
  }

  const PlaneJob& job_;
  BitReader in_;
  const DequantTables& dq_;
  const uint32_t cols_, rows_, mapPitch_;
  PlaneDescriptions desc_;
  StreamState streams_[kStreamCount];
  uint8_t lastHigh_ = 0;
};

}  // namespace

PlaneResult decodePlane(const PlaneJob& job) { return PlaneDecoder(job).run(); }

TOL_NS_END
