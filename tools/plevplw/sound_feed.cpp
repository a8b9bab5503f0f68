#include "plevplw/sound_feed.h"

#include <algorithm>

namespace plevplw {

SoundFeed::~SoundFeed() {
  for (Track& t : tracks_) SDL_FreeAudioStream(t.stream);
}

bool SoundFeed::open(const std::string& name, uint32_t openOptions, int32_t bufferSize, int32_t mask) {
  decoder_.reset(PlevOpen(name.c_str(), openOptions, bufferSize));
  const PlevDecoder* d = decoder_.get();
  if (!d || d->frames < 1) return false;
  std::vector<int> chosen;
  for (int k = 0; k < PLEV_TRACKS; ++k) {
    const uint32_t word = d->trackWords[k];
    if (!(word & PLEV_TRACK_HAS_SOUND) || !(word & PLEV_TRACK_RATE_MASK) || !d->maxSoundSize[k]) continue;
    if (mask >= 0 && !(mask & (1 << k))) continue;
    chosen.push_back(k);
    if (mask < 0) break;
  }
  for (int k : chosen) {
    rate_ = std::max(rate_, int32_t(d->trackWords[k] & PLEV_TRACK_RATE_MASK));
    if (d->trackWords[k] & PLEV_TRACK_STEREO) channels_ = 2;
  }
  for (int k : chosen) {
    const uint32_t word = d->trackWords[k];
    Track t;
    t.option = PLEV_OPEN_TRACK(k);
    t.chunk.resize(d->maxSoundSize[k]);
    t.stream = SDL_NewAudioStream(word & PLEV_TRACK_16BIT ? AUDIO_S16LSB : AUDIO_U8,
                                  Uint8(word & PLEV_TRACK_STEREO ? 2 : 1), int(word & PLEV_TRACK_RATE_MASK),
                                  AUDIO_S16SYS, Uint8(channels_), rate_);
    if (!t.stream) return false;
    tracks_.push_back(std::move(t));
  }
  return !tracks_.empty();
}

void SoundFeed::feed(uint32_t until, uint32_t steps, std::vector<int16_t>& out) {
  PlevDecoder* d = decoder_.get();
  if (step_ >= steps) return;
  for (; step_ < std::min(until, steps); ++step_) {
    if (currentTaken_) PlevNextFrame(d);
    currentTaken_ = true;
    for (Track& t : tracks_) {
      const int32_t got = PlevTrackSound(d, t.chunk.data(), t.option);
      if (got > 0) SDL_AudioStreamPut(t.stream, t.chunk.data(), got);
      drain(t);
    }
  }
  mix(out, step_ >= steps);
}

void SoundFeed::seek(uint32_t step) {
  PlevGotoFrame(decoder_.get(), int32_t(step % uint32_t(decoder_->frames)) + 1);
  step_ = step;
  currentTaken_ = false;
  for (Track& t : tracks_) {
    SDL_AudioStreamClear(t.stream);
    t.pending.clear();
  }
}

void SoundFeed::drain(Track& t) {
  const int ready = SDL_AudioStreamAvailable(t.stream);
  if (ready <= 0) return;
  const size_t before = t.pending.size();
  t.pending.resize(before + size_t(ready) / 2);
  const int read = SDL_AudioStreamGet(t.stream, t.pending.data() + before, ready);
  t.pending.resize(before + size_t(std::max(read, 0)) / 2);
}

void SoundFeed::mix(std::vector<int16_t>& out, bool flush) {
  if (flush) {
    for (Track& t : tracks_) {
      SDL_AudioStreamFlush(t.stream);
      drain(t);
    }
  }
  size_t fewest = SIZE_MAX, most = 0;
  for (const Track& t : tracks_) {
    fewest = std::min(fewest, t.pending.size());
    most = std::max(most, t.pending.size());
  }
  const size_t second = size_t(rate_) * size_t(channels_);
  const size_t n = tracks_.empty() ? 0 : flush ? most : std::max(fewest, most > second ? most - second : 0);
  const size_t at = out.size();
  out.resize(at + n);
  std::vector<int32_t> sum(n, 0);
  for (Track& t : tracks_) {
    const size_t have = std::min(n, t.pending.size());
    for (size_t i = 0; i < have; ++i) sum[i] += t.pending[i];
    t.pending.erase(t.pending.begin(), t.pending.begin() + ptrdiff_t(have));
  }
  for (size_t i = 0; i < n; ++i) out[at + i] = int16_t(std::clamp(sum[i], -32768, 32767));
}

}  // namespace plevplw
