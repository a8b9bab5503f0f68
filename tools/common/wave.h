// WAVE files of integer PCM: reading into 16-bit samples and writing them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolapp {

struct Sound {
  int rate = 0;
  int channels = 0;
  int bits = 0;                  // the stored width: 8 or 16
  std::vector<int16_t> samples;  // interleaved, 8-bit input scaled to 16 bits
  double seconds() const { return rate && channels ? double(samples.size()) / channels / rate : 0; }
};

// Reads a RIFF WAVE file of 8-bit unsigned or 16-bit signed PCM, mono or
// stereo (format tag 1, or the extensible form of it). Chunks it does not
// need are skipped; a data chunk longer than the file is cut to the file.
bool readWave(const std::string& path, Sound& sound, std::string& error);
bool parseWave(const std::vector<uint8_t>& bytes, Sound& sound, std::string& error);

// Writes 16-bit PCM.
bool writeWave(const std::string& path, const Sound& sound);

// The 44 bytes before the samples of a PCM WAVE file of dataBytes bytes.
std::vector<uint8_t> waveHeader(int rate, int channels, int bits, uint32_t dataBytes);

}  // namespace tolapp
