// Delivering sound: the source buffer is refilled as needed, source sample
// frames are taken one at a time, converted to the delivered rate (averaged
// down, or ramped up in 10-bit fixed point), mixed to mono or doubled to
// stereo, and written as 8 or 16 bits.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/sfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kRampOne = 1024;  // 10-bit fixed point

struct Sample {
  int32_t left = 0;
  int32_t right = 0;
};

uint32_t bufferedBytes(const SFile* s) { return static_cast<uint32_t>(s->bufferEnd - s->cursor); }

// Tops the buffer up when less than a sample frame is left in it: the
// leftover moves to the start, then the source fills the rest (at most the
// bytes still to take) until a whole sample frame is there or it ends.
void refill(SFile* s) {
  const uint32_t block = static_cast<uint32_t>(s->srcBlock);
  uint32_t have = bufferedBytes(s);
  std::memmove(s->buffer, s->cursor, have);
  s->cursor = s->buffer;
  while (have < block && !s->sourceDone && s->remaining > 0) {
    uint32_t n = readSource(s, s->buffer + have, s->capacity - have);
    if (n > s->remaining) n = s->remaining;
    s->remaining -= n;
    have += n;
  }
  s->bufferEnd = s->buffer + have;
}

// True when the source cannot give another whole sample frame.
bool drained(const SFile* s) {
  const uint32_t block = static_cast<uint32_t>(s->srcBlock);
  return bufferedBytes(s) < block && (s->remaining < block || s->sourceDone);
}

// Takes the next source sample frame, scaled to 16 bits (a mono sample is
// both left and right); false when the source has none left.
bool takeSample(SFile* s, Sample& out) {
  if (bufferedBytes(s) < static_cast<uint32_t>(s->srcBlock)) {
    refill(s);
    if (bufferedBytes(s) < static_cast<uint32_t>(s->srcBlock)) return false;
  }
  const uint8_t* p = s->cursor;
  if (s->srcBits == 16) {
    out.left = static_cast<int16_t>(p[0] | p[1] << 8);
    out.right = s->srcChannels == 2 ? static_cast<int16_t>(p[2] | p[3] << 8) : out.left;
  } else {
    out.left = (p[0] - 128) * 256;
    out.right = s->srcChannels == 2 ? (p[1] - 128) * 256 : out.left;
  }
  s->cursor += s->srcBlock;
  ++s->srcCount;
  return true;
}

// Delivered frames that `srcFrames` source frames (taken since the
// conversion started) reach at the delivered rate.
uint64_t outputReached(const SFile* s, uint64_t srcFrames) {
  return static_cast<uint64_t>(s->outRate) * srcFrames / static_cast<uint64_t>(s->srcRate);
}

// One delivered sample frame by the rate rule; false when there is none.
bool convertOne(SFile* s, Sample& out) {
  const uint64_t n = static_cast<uint32_t>(s->outCount - s->outBase);
  const uint64_t taken = static_cast<uint32_t>(s->srcCount - s->srcBase);
  if (s->outRate == s->srcRate) {
    if (!takeSample(s, out)) return false;
    if (drained(s)) s->atEnd = 1;
    return true;
  }
  if (s->outRate < s->srcRate) {
    // Average of the source frames that fall into this delivered frame.
    int64_t sumLeft = 0, sumRight = 0;
    int32_t count = 0;
    Sample in;
    do {
      if (!takeSample(s, in)) break;
      sumLeft += in.left;
      sumRight += in.right;
      ++count;
    } while (!drained(s) && outputReached(s, static_cast<uint32_t>(s->srcCount - s->srcBase)) < n + 1);
    if (count == 0) return false;
    out.left = static_cast<int32_t>(sumLeft / count);
    out.right = static_cast<int32_t>(sumRight / count);
    if (drained(s)) s->atEnd = 1;
    return true;
  }
  // Upwards: ramp from the sample taken last towards the next one. The
  // next sample is counted as taken; once the source is drained the last
  // sample is held until its share of delivered frames is out.
  const uint64_t target = outputReached(s, taken);
  if (n + 1 < target) {
    s->rampLeft += s->stepLeft;
    s->rampRight += s->stepRight;
    out.left = s->rampLeft / kRampOne;
    out.right = s->rampRight / kRampOne;
  } else {
    out.left = s->nextLeft;
    out.right = s->nextRight;
    s->rampLeft = out.left * kRampOne;
    s->rampRight = out.right * kRampOne;
    s->stepLeft = s->stepRight = 0;
    Sample next;
    if (!drained(s) && takeSample(s, next)) {
      s->nextLeft = next.left;
      s->nextRight = next.right;
      const uint64_t reach = outputReached(s, static_cast<uint32_t>(s->srcCount - s->srcBase));
      const int64_t span = static_cast<int64_t>(reach) - static_cast<int64_t>(n + 1);
      if (span != 0) {
        s->stepLeft = static_cast<int32_t>((next.left - out.left) * kRampOne / span);
        s->stepRight = static_cast<int32_t>((next.right - out.right) * kRampOne / span);
      }
    }
  }
  if (drained(s) && n + 1 >= outputReached(s, static_cast<uint32_t>(s->srcCount - s->srcBase) + 1)) s->atEnd = 1;
  return true;
}

// The first fill; when ramping upwards the first source sample is read
// ahead as the next sample and not counted.
void prime(SFile* s) {
  s->primed = true;
  if (s->srcRate >= s->outRate) return;
  Sample first;
  if (!takeSample(s, first)) {
    s->atEnd = 1;
    return;
  }
  --s->srcCount;
  s->nextLeft = first.left;
  s->nextRight = first.right;
}

uint8_t* writeSample(const SFile* s, uint8_t* p, Sample v) {
  if (s->outChannels == 1 && v.left != v.right) v.left = (v.left + v.right) / 2;
  const int32_t values[2] = {v.left, v.right};
  for (int32_t c = 0; c < s->outChannels; ++c) {
    if (s->outBits == 16) {
      *p++ = static_cast<uint8_t>(values[c]);
      *p++ = static_cast<uint8_t>(values[c] >> 8);
    } else {
      *p++ = static_cast<uint8_t>(values[c] / 256 + 128);
    }
  }
  return p;
}

// Same rate and format: whole sample frames straight from the buffer.
uint32_t copyFrames(SFile* s, uint8_t* p, uint32_t frames) {
  const uint32_t block = static_cast<uint32_t>(s->srcBlock);
  uint32_t done = 0;
  while (done < frames && !s->atEnd) {
    if (bufferedBytes(s) < block) refill(s);
    const uint32_t n = std::min(frames - done, bufferedBytes(s) / block);
    if (n == 0) {
      s->atEnd = 1;
      break;
    }
    std::memcpy(p + size_t{done} * block, s->cursor, size_t{n} * block);
    s->cursor += size_t{n} * block;
    s->srcCount += n;
    done += n;
    if (drained(s)) s->atEnd = 1;
  }
  return done;
}

void reportProgress(const SFile* s) {
  if (!s->callback) return;
  const uint32_t done = s->length - s->remaining;
  const int percent = s->length ? static_cast<int>(uint64_t{done} * 100 / s->length) : 100;
  char text[48];
  std::snprintf(text, sizeof text, "Processing sound data (%i%%)...", percent);
  s->callback(text, s->primed ? TOL_MESSAGE_PROGRESS : TOL_MESSAGE_FIRST_PROGRESS);
}

}  // namespace

uint32_t SFileGet(SFile* s, void* buffer, uint32_t bytes) {
  if (!s || !buffer || s->outBlock <= 0) return 0;
  const uint32_t frames = bytes / static_cast<uint32_t>(s->outBlock);
  if (frames == 0) return 0;
  reportProgress(s);
  if (s->kind == SFILE_KIND_LIST) return getFromList(s, static_cast<uint8_t*>(buffer), bytes);
  if (!s->buffer) {
    s->capacity = s->bufferSize + 16;
    s->buffer = static_cast<uint8_t*>(tolmalloc(s->capacity));
    if (!s->buffer) return 0;
    s->cursor = s->bufferEnd = s->buffer;
  }
  if (!s->primed) prime(s);
  uint8_t* p = static_cast<uint8_t*>(buffer);
  if (s->outRate == s->srcRate && s->outBits == s->srcBits && s->outChannels == s->srcChannels) {
    const uint32_t copied = copyFrames(s, p, frames);
    s->outCount += copied;
    return copied * static_cast<uint32_t>(s->outBlock);
  }
  uint32_t delivered = 0;
  Sample v;
  while (delivered < frames && !s->atEnd) {
    if (!convertOne(s, v)) {
      s->atEnd = 1;
      break;
    }
    p = writeSample(s, p, v);
    ++s->outCount;
    ++delivered;
  }
  return delivered * static_cast<uint32_t>(s->outBlock);
}

TOL_NS_END
