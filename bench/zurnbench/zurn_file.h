// What a Zurn file spends on its sound: the bytes of every track's packets
// (size fields included), read from the file's own frame index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurnbench {

// Sums the sound packets of all frames; false (with a reason) for a file
// that is not a complete Zurn file.
bool zurnSoundBytes(const std::vector<uint8_t>& file, uint64_t& bytes, std::string& error);

}  // namespace zurnbench
