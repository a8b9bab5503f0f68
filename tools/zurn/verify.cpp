#include "zurn/verify.h"

#include <memory>
#include <vector>

#include "tol/zurndecoder.h"
#include "tol/zurnsound.h"

namespace zurntool {
namespace {

struct DecoderCloser {
  void operator()(ZurnDecoder* d) const { ZurnDecoderClose(d); }
};
struct ReaderCloser {
  void operator()(ZurnTrackReader* r) const { ZurnTrackReaderClose(r); }
};

}  // namespace

bool verifyZurnFile(const std::string& path, const Expected& expected, Verified& result, std::string& error) {
  result = Verified{};
  std::unique_ptr<ZurnDecoder, DecoderCloser> decoder(ZurnDecoderOpen(path.c_str(), 0));
  if (!decoder) {
    error = path + ": " + ZurnDecoderGetError();
    return false;
  }
  ZurnDecoder& d = *decoder;
  if (d.width != expected.width || d.height != expected.height || uint32_t(d.frames) != expected.frames) {
    error = path + ": the decoder sees " + std::to_string(d.frames) + " frames of " + std::to_string(d.width) +
            " x " + std::to_string(d.height) + ", not " + std::to_string(expected.frames) + " of " +
            std::to_string(expected.width) + " x " + std::to_string(expected.height);
    return false;
  }
  std::unique_ptr<ZurnTrackReader, ReaderCloser> reader;
  if (expected.sound) {
    reader.reset(ZurnTrackReaderOpen(&d, 0));
    if (!reader) {
      error = path + ": the sound track cannot be read";
      return false;
    }
  }
  std::vector<uint8_t> sound(reader ? reader->bufferSize : 0);
  uint64_t soundBytes = 0;
  for (int frame = 1; frame <= d.frames; ++frame) {
    if (!ZurnDecoderDecodeFrame(&d)) {
      error = path + ": frame " + std::to_string(frame) + " does not decode";
      return false;
    }
    if (reader) soundBytes += ZurnTrackReaderGet(reader.get(), sound.data());
    ++result.frames;
    if (frame < d.frames) ZurnDecoderNextFrame(&d);
  }
  if (reader) result.soundSeconds = double(soundBytes) / (reader->rate * reader->channels * (reader->bits / 8));
  return true;
}

}  // namespace zurntool
