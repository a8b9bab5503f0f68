// Numbered PNG sequences: finding the files and reading them as 32-bit
// frames (byte 0 red, 1 green, 2 blue, 3 unused), the encoder's input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurnbench {

// The files of a sequence: every *.png of a folder in name order, or, for a
// file such as clip0000.png, that file and the ones whose number follows
// (clip0001.png, ...) until one is missing. Empty when nothing matches.
std::vector<std::string> listSequence(const std::string& folderOrFirstFile);

struct RgbFrame {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // width * 4 bytes a row
};

// Reads any PNG (palette, grey, 16-bit and alpha are reduced to 8-bit RGB).
bool readPng(const std::string& path, RgbFrame& frame, std::string& error);

}  // namespace zurnbench
