#include "common/sound_ring.h"

#include <algorithm>
#include <cstring>

namespace tolapp {

SoundRing::SoundRing(uint32_t capacity, uint32_t bytesPerSecond, uint32_t latencyBytes, uint8_t silence)
    : ring_(capacity), bytesPerSecond_(bytesPerSecond), latencyBytes_(latencyBytes), silence_(silence) {}

uint32_t SoundRing::push(const void* data, uint32_t size) {
  std::lock_guard<std::mutex> guard(lock_);
  const uint32_t capacity = uint32_t(ring_.size());
  size = std::min(size, capacity - count_);
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t tail = (head_ + count_) % std::max(capacity, 1u);
  for (uint32_t done = 0; done < size;) {
    const uint32_t piece = std::min(size - done, capacity - tail);
    std::memcpy(&ring_[tail], bytes + done, piece);
    done += piece;
    tail = (tail + piece) % capacity;
  }
  count_ += size;
  return size;
}

void SoundRing::pull(void* dest, uint32_t size, double now) {
  std::lock_guard<std::mutex> guard(lock_);
  auto* out = static_cast<uint8_t*>(dest);
  const uint32_t take = std::min(size, count_);
  const uint32_t capacity = uint32_t(ring_.size());
  for (uint32_t done = 0; done < take;) {
    const uint32_t piece = std::min(take - done, capacity - head_);
    std::memcpy(out + done, &ring_[head_], piece);
    done += piece;
    head_ = (head_ + piece) % capacity;
  }
  count_ -= take;
  std::memset(out + take, silence_, size - take);
  // Once sound has played, the silence of a dry ring plays in time too.
  const uint32_t counted = take > 0 || played_ > 0 ? size : 0;
  played_ += counted;
  lastPull_ = now;
  lastPullSeconds_ = double(counted) / bytesPerSecond_;
}

uint32_t SoundRing::queued() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

void SoundRing::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  head_ = count_ = 0;
  played_ = 0;
  lastPull_ = -1;
  lastPullSeconds_ = 0;
}

double SoundRing::clock(double now) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (lastPull_ < 0) return 0;
  const double since = std::clamp(now - lastPull_, 0.0, lastPullSeconds_);
  const double heard = (double(played_) - lastPullSeconds_ * bytesPerSecond_ - latencyBytes_) / bytesPerSecond_ + since;
  return heard > 0 ? heard : 0;
}

}  // namespace tolapp
