// Arbitrary bytes as a compressed (or raw) sound chunk: the first byte
// chooses the sample format, whether the chunk is compressed and the size
// of the destination; the rest is the chunk.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "util/sound_chunk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static auto work = std::make_unique<tol::soundchunk::DecodeWork>();
  tol::soundchunk::Format format;
  format.bits = (data[0] & 1) ? 16 : 8;
  format.channels = (data[0] & 2) ? 2 : 1;
  const bool compressed = !(data[0] & 4);
  const uint32_t capacity = (data[0] & 8) ? 1u << 16 : size * 8;
  std::vector<uint8_t> out(capacity);
  tol::soundchunk::readChunk(data + 1, size - 1, compressed, format, out.data(), capacity, *work);
  return 0;
}
