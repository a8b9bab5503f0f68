#include "decode/zurn_track_reader.h"

#include "decode/sound_block_decoder.h"
#include "decode/zurn_decoder_header.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

const uint8_t* zurnFindPacket(const uint8_t* frame, uint32_t size, uint32_t track, uint32_t* packetSize) {
  uint32_t pos = 0;
  for (uint32_t t = 0;; ++t) {
    if (!frame || size - pos < 4) return nullptr;
    const uint32_t length = loadLE32(frame + pos);
    pos += 4;
    if (t == track) {
      if (length == 0) return nullptr;
      *packetSize = length < size - pos ? length : size - pos;
      return frame + pos;
    }
    if (length > size - pos) return nullptr;
    pos += length;
  }
}

ZurnTrackReader* ZurnTrackReaderOpen(ZurnDecoder* decoder, int32_t track) {
  if (!decoder || track < 0 || static_cast<uint32_t>(track) >= decoder->soundTrackCount) return nullptr;
  const SoundTrackFormat format = soundTrackFormat(decoder->soundFlags[track]);
  if (!format.playable) return nullptr;
  auto* reader = static_cast<ZurnTrackReader*>(tolmalloc(sizeof(ZurnTrackReader)));
  if (!reader) return nullptr;
  SoundBlockDecoder* state = soundBlockDecoderCreate(format.rate, format.channels);
  if (!state) {
    tolfree(reader);
    return nullptr;
  }
  // The largest packet's output, in whole words, counted in delivered bytes.
  const uint64_t largest = (uint64_t{decoder->soundMaxDecoded[track]} + 3) & ~uint64_t{3};
  const uint32_t bufferSize = static_cast<uint32_t>(largest > 0xFFFFFFFCu ? 0xFFFFFFFCu : largest);
  reader->rate = static_cast<int32_t>(format.rate);
  reader->bits = static_cast<int32_t>(format.bits);
  reader->channels = static_cast<int32_t>(format.channels);
  reader->bufferSize = format.bits == 8 ? bufferSize / 2 : bufferSize;
  reader->decoder = decoder;
  reader->state = state;
  reader->track = track;
  return reader;
}

uint32_t ZurnTrackReaderGet(ZurnTrackReader* reader, void* destination) {
  if (!reader || !destination) return 0;
  uint32_t frameSize = 0;
  const uint8_t* frame = zurnCurrentFrame(static_cast<ZurnDecoder*>(reader->decoder), &frameSize);
  uint32_t packetSize = 0;
  const uint8_t* packet = zurnFindPacket(frame, frameSize, static_cast<uint32_t>(reader->track), &packetSize);
  if (!packet) return 0;
  return soundDecodePacket(static_cast<SoundBlockDecoder*>(reader->state), packet, packetSize,
                           static_cast<uint32_t>(reader->bits), static_cast<uint8_t*>(destination),
                           reader->bufferSize);
}

void ZurnTrackReaderClose(ZurnTrackReader* reader) {
  if (!reader) return;
  soundBlockDecoderDestroy(static_cast<SoundBlockDecoder*>(reader->state));
  tolfree(reader);
}

TOL_NS_END
