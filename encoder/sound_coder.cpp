#include "encoder/sound_coder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "decode/core/sound_float29.h"
#include "encoder/sound_bit_writer.h"
#include "encoder/sound_chunks.h"
#include "encoder/sound_quantiser.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t align16(uint32_t n) { return (n + 15) & ~15u; }

// Header of a block: two 29-bit floats and 8 bits a band, padded.
constexpr uint32_t kBlockHeaderBytes = (2 * kFloat29Bits + 8 * kSoundMaxBands + 31) / 32 * 4;

// Fills the samples from `valid` on by repeating the last whole sample frame.
void padBlock(int16_t* samples, uint32_t valid, uint32_t length, uint32_t channels) {
  for (uint32_t i = valid; i < length; ++i) samples[i] = i >= channels ? samples[i - channels] : 0;
}

// Spectrum of the block in the decoder's convention: the decoder applies
// the forward kernel e^(-2 pi i k n / N) to the coded spectrum, so the coder
// transforms the samples with the conjugate kernel (conjugating the output
// of the forward transform of a real signal).
void transform(SoundCoder* c) {
  const uint32_t n = c->length;
  float* s = c->spectrum;
  for (uint32_t i = 0; i < n; ++i) {
    s[2 * i] = c->input[i];
    s[2 * i + 1] = 0.0f;
  }
  soundFftForward(c->fft, s);
  for (uint32_t b = 0; b <= n / 2; ++b) {
    s[2 * b] *= c->scale;
    s[2 * b + 1] *= -c->scale;
  }
}

}  // namespace

SoundCoder* soundCoderCreate(uint32_t rate, uint32_t channels) {
  const uint32_t length = soundBlockLength(rate, channels);
  const uint32_t codedCapacity = kBlockHeaderBytes + (soundChunkBytesLimit(length) + 3) / 4 * 4;
  const uint32_t head = align16(sizeof(SoundCoder));
  const uint32_t inputBytes = align16(length * sizeof(int16_t));
  const uint32_t spectrumBytes = align16(2 * length * sizeof(float));
  const uint32_t levelBytes = align16(length * sizeof(int32_t));
  const uint32_t codedBytes = align16(codedCapacity);
  const uint32_t fftBytes = align16(static_cast<uint32_t>(soundFftStorageBytes(length)));
  uint8_t* block =
      static_cast<uint8_t*>(tolmalloc(head + inputBytes + spectrumBytes + levelBytes + codedBytes + fftBytes));
  if (!block) return nullptr;
  auto* c = new (block) SoundCoder{};
  c->length = length;
  c->overlap = soundOverlap(length);
  c->channels = channels;
  c->scale = static_cast<float>(1.0 / std::sqrt(static_cast<double>(length)));
  c->bands = soundBandTable(rate, channels);
  soundModelInit(c->model, c->bands.count);
  uint8_t* p = block + head;
  c->input = reinterpret_cast<int16_t*>(p);
  c->spectrum = reinterpret_cast<float*>(p += inputBytes);
  c->levels = reinterpret_cast<int32_t*>(p += spectrumBytes);
  c->coded = (p += levelBytes);
  c->codedCapacity = codedCapacity;
  soundFftInit(c->fft, length, p + codedBytes);
  return c;
}

void soundCoderDestroy(SoundCoder* coder) {
  if (coder) tolfree(coder);
}

int16_t* soundCoderInput(SoundCoder* c, uint32_t* bytes) {
  const uint32_t held = c->started ? c->overlap : 0;
  *bytes = (c->length - held) * 2;
  return c->input + held;
}

uint32_t soundCoderEncode(SoundCoder* c, uint32_t received, uint32_t soundOption, uint32_t* accounted) {
  const uint32_t n = c->length;
  const uint32_t held = c->started ? c->overlap : 0;
  received = std::min(received, (n - held) * 2);
  padBlock(c->input, held + received / 2, n, c->channels);
  transform(c);

  // Band energies (the two real-only bins are coded exactly and left out).
  const float* s = c->spectrum;
  const SoundBands& bands = c->bands;
  double energy[kSoundMaxBands], allowed[kSoundMaxBands];
  for (uint32_t k = 0; k < bands.count; ++k) {
    energy[k] = 0.0;
    for (uint32_t i = bands.first(k); i < bands.end(k); ++i) energy[k] += double{s[i]} * s[i];
  }
  soundAllowedNoise(c->model, energy, soundTonality(s, n / 2), allowed);

  SoundBitWriter writer(c->coded, c->codedCapacity);
  writer.put(float29Encode(s[0]), kFloat29Bits);
  writer.put(float29Encode(s[n]), kFloat29Bits);
  for (uint32_t k = 0; k < bands.count; ++k) {
    const uint32_t from = bands.first(k), count = bands.end(k) - from;
    uint32_t index = soundStepIndex(soundSearchStep(s + from, count, soundBaseStep(k, soundOption), allowed[k]));
    soundQuantiseBand(s + from, count, &index, c->levels + from);
    writer.put(index, 8);
  }
  // The bands cover bins 1 to n / 2 - 1, unless the track has none (rate 0):
  // then every value is coded with step 1.
  if (bands.count == 0)
    for (uint32_t i = 2; i < n; ++i)
      c->levels[i] = static_cast<int32_t>(std::clamp(std::nearbyint(s[i]), -32767.0f, 32767.0f));
  soundWriteCoefficients(writer, c->levels, n);
  const uint32_t codedBytes = writer.finish();

  // Account for the new samples, never beyond what the source delivered:
  // the held-back overlap counts with the block that completes it.
  c->received += received;
  *accounted = static_cast<uint32_t>(std::min<uint64_t>((n - c->overlap) * 2, c->received - c->counted));
  c->counted += *accounted;
  c->started = 1;
  std::memmove(c->input, c->input + n - c->overlap, c->overlap * sizeof(int16_t));
  return codedBytes;
}

TOL_NS_END
