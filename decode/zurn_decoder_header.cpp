#include "decode/zurn_decoder_header.h"

TOL_NS_BEGIN

void ZurnFileHeader::parse(const uint8_t* bytes) {
  uint32_t* fields[] = {&magic,  &fileSizeLess8, &frames,         &largestFrame, &indexFrames,    &width,
                        &height, &fpsNumerator,  &fpsDenominator, &videoFlags,   &soundTrackCount};
  for (uint32_t i = 0; i < sizeof fields / sizeof fields[0]; i++) *fields[i] = loadLE32(bytes + 4 * i);
}

uint32_t ZurnFileHeader::roundedRate() const {
  if (fpsDenominator == 0) return 0;
  uint64_t rate = (uint64_t{fpsNumerator} + fpsDenominator / 2) / fpsDenominator;
  return rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}

const char* ZurnFileHeader::check(uint64_t available) const {
  if (magic != kMagic) return kZurnErrorNotZurn;
  if (frames == 0) return kZurnErrorNoFrames;
  if (width == 0 || height == 0 || width > kZurnMaxDimension || height > kZurnMaxDimension)
    return kZurnErrorDamaged;
  if (frames > indexFrames || dataOffset() > fileSize() || dataOffset() > available) return kZurnErrorDamaged;
  return nullptr;
}

bool zurnIndexIsSound(const uint32_t* index, uint32_t frames, uint64_t dataStart, uint64_t fileSize,
                      uint32_t* largestFrame) {
  uint32_t largest = 0;
  uint32_t previous = zurnFrameOffset(index[0]);
  if (previous < dataStart) return false;
  for (uint32_t i = 1; i <= frames; i++) {
    uint32_t offset = zurnFrameOffset(index[i]);
    if (offset <= previous) return false;
    if (offset - previous > largest) largest = offset - previous;
    previous = offset;
  }
  if (previous > fileSize) return false;
  *largestFrame = largest;
  return true;
}

uint64_t zurnPeakSecond(const uint32_t* index, uint32_t frames, uint32_t rate, uint32_t* startFrame) {
  uint32_t best = 0;
  uint32_t start = 0;
  for (uint32_t i = 0; rate < frames && i < frames - rate; i++) {
    uint32_t bytes = zurnFrameOffset(index[i + rate]) - zurnFrameOffset(index[i]);
    if (bytes > best) {
      best = bytes;
      start = i;
    }
  }
  *startFrame = start;
  if (best != 0) return best;
  uint64_t all = zurnFrameOffset(index[frames]) - zurnFrameOffset(index[0]);
  return all * rate / frames;
}

TOL_NS_END
