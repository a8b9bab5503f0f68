// Numbered PNG sequences: finding the files and reading them as 32-bit
// frames (byte 0 red, 1 green, 2 blue, 3 unused), the encoder's input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolapp {

// The files of a sequence, named in one of three ways:
// - a folder: every *.png in it, in name order;
// - the first file, such as clip0000.png: that file and the ones whose
//   number follows (clip0001.png, ...) until one is missing;
// - a frame-sequence text such as dir/img????.png*0-29: the run of '?' is the
//   frame number, written with at least that many digits; "*first-last"
//   (or "*n" for one frame) names the numbers. The files of a range are
//   listed whether or not they exist. Without a range the run starts at the
//   lowest number present and goes on until a number is missing.
// Empty when nothing matches or the text is malformed.
std::vector<std::string> listSequence(const std::string& source);

struct RgbFrame {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // width * 4 bytes a row
};

// Reads any PNG up to 16384 pixels each way (palette, grey, 16-bit and alpha
// are reduced to 8-bit RGB; alpha is dropped).
bool readPng(const std::string& path, RgbFrame& frame, std::string& error);

}  // namespace tolapp
