#include "wave.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tolapp {
namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}

}  // namespace

bool parseWave(const std::vector<uint8_t>& b, Sound& sound, std::string& error) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  bool haveFormat = false;
  int blockAlign = 0;
  for (size_t pos = 12; pos + 8 <= b.size();) {
    const uint8_t* chunk = b.data() + pos;
    const size_t size = le32(chunk + 4), body = pos + 8, avail = b.size() - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || avail < 16) break;
      uint16_t tag = le16(chunk + 8);
      if (tag == 0xFFFE && size >= 40 && avail >= 40) tag = le16(chunk + 32);  // extensible: sub-format GUID
      sound.channels = le16(chunk + 10);
      sound.rate = int(le32(chunk + 12));
      blockAlign = le16(chunk + 20);
      sound.bits = le16(chunk + 22);
      if (tag != 1 || (sound.bits != 8 && sound.bits != 16) || sound.channels < 1 || sound.channels > 2 ||
          sound.rate <= 0 || blockAlign != sound.channels * sound.bits / 8) {
        error = "only 8- and 16-bit integer PCM, mono or stereo, is supported";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) break;
      const size_t bytes = std::min(size, avail) / size_t(blockAlign) * size_t(blockAlign);
      const uint8_t* d = chunk + 8;
      sound.samples.resize(bytes * 8 / size_t(sound.bits));
      for (size_t i = 0; i < sound.samples.size(); ++i)
        sound.samples[i] = sound.bits == 8 ? int16_t((d[i] - 128) * 256) : int16_t(le16(d + 2 * i));
      return true;
    }
    if (size > avail) break;
    pos = body + size + (size & 1);  // chunks are padded to even sizes
  }
  error = haveFormat ? "no data chunk" : "no format chunk before the data";
  return false;
}

bool readWave(const std::string& path, Sound& sound, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (parseWave(bytes, sound, error)) return true;
  error = path + ": " + error;
  return false;
}

std::vector<uint8_t> waveHeader(int rate, int channels, int bits, uint32_t dataBytes) {
  const uint32_t block = uint32_t(channels * bits / 8);
  std::vector<uint8_t> v;
  v.insert(v.end(), {'R', 'I', 'F', 'F'});
  put32(v, 36 + dataBytes);
  v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(v, 16);
  put16(v, 1);
  put16(v, uint16_t(channels));
  put32(v, uint32_t(rate));
  put32(v, uint32_t(rate) * block);
  put16(v, uint16_t(block));
  put16(v, uint16_t(bits));
  v.insert(v.end(), {'d', 'a', 't', 'a'});
  put32(v, dataBytes);
  return v;
}

bool writeWave(const std::string& path, const Sound& sound) {
  const uint32_t dataBytes = uint32_t(sound.samples.size() * 2);
  std::vector<uint8_t> v = waveHeader(sound.rate, sound.channels, 16, dataBytes);
  v.reserve(44 + dataBytes);
  for (int16_t s : sound.samples) put16(v, uint16_t(s));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(v.data(), 1, v.size(), f) == v.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace tolapp
