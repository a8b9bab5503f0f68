// Hand-made AVI files in memory for the reader tests: one video stream with
// the given format and chunks, indexed in the chosen way.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace avitest {

enum class Index { None, Idx1FromMovi, Idx1Absolute };

struct Chunk {
  std::string id;  // "00db", "00pc", ...
  std::vector<uint8_t> data;
  uint32_t flags = 0x10;
};

struct Bytes {
  std::vector<uint8_t> b;
  void u16(uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
  void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
  void tag(const char* t) { b.insert(b.end(), t, t + 4); }
  size_t open(const char* id, const char* list = nullptr) {
    tag(id);
    size_t at = b.size();
    u32(0);
    if (list) tag(list);
    return at;
  }
  void close(size_t at) {
    uint32_t n = uint32_t(b.size() - at - 4);
    std::memcpy(&b[at], &n, 4);
    if (n & 1) b.push_back(0);
  }
  void chunk(const std::string& id, const std::vector<uint8_t>& data) {
    size_t at = open(id.c_str());
    b.insert(b.end(), data.begin(), data.end());
    close(at);
  }
};

inline std::vector<uint8_t> makeAvi(const std::vector<uint8_t>& format, const std::vector<Chunk>& chunks,
                                    Index index, bool recLists = false, uint32_t handler = 0) {
  int32_t width, height;
  std::memcpy(&width, &format[4], 4);
  std::memcpy(&height, &format[8], 4);
  Bytes f;
  size_t riff = f.open("RIFF", "AVI ");
  size_t hdrl = f.open("LIST", "hdrl");
  size_t avih = f.open("avih");
  f.u32(66666), f.u32(0), f.u32(0), f.u32(0x10), f.u32(uint32_t(chunks.size())), f.u32(0), f.u32(1), f.u32(0);
  f.u32(uint32_t(width)), f.u32(uint32_t(height < 0 ? -height : height)), f.u32(0), f.u32(0), f.u32(0), f.u32(0);
  f.close(avih);
  size_t strl = f.open("LIST", "strl");
  size_t strh = f.open("strh");
  f.tag("vids"), f.u32(handler), f.u32(0), f.u32(0), f.u32(0), f.u32(1), f.u32(15), f.u32(0);
  f.u32(uint32_t(chunks.size())), f.u32(0), f.u32(0xFFFFFFFF), f.u32(0), f.u32(0), f.u32(0);
  f.close(strh);
  f.chunk("strf", format);
  f.close(strl);
  f.close(hdrl);
  size_t movi = f.open("LIST", "movi");
  const size_t moviFourCC = movi + 4;
  std::vector<size_t> at;
  for (size_t i = 0; i < chunks.size(); ++i) {
    size_t rec = recLists && i % 2 == 0 ? f.open("LIST", "rec ") : 0;
    at.push_back(f.b.size());
    f.chunk(chunks[i].id, chunks[i].data);
    if (rec && i + 1 < chunks.size()) {  // two chunks a group
      ++i;
      at.push_back(f.b.size());
      f.chunk(chunks[i].id, chunks[i].data);
    }
    if (rec) f.close(rec);
  }
  f.close(movi);
  if (index != Index::None) {
    size_t idx1 = f.open("idx1");
    for (size_t i = 0; i < chunks.size(); ++i) {
      f.tag(chunks[i].id.c_str()), f.u32(chunks[i].flags);
      f.u32(uint32_t(index == Index::Idx1FromMovi ? at[i] - moviFourCC : at[i]));
      f.u32(uint32_t(chunks[i].data.size()));
    }
    f.close(idx1);
  }
  f.close(riff);
  return f.b;
}

// A bitmap information header, with a colour table of `entries` entries
// (entry k: blue k, green 255 - k, red k / 2).
inline std::vector<uint8_t> bitmapFormat(int32_t width, int32_t height, int bits, uint32_t compression,
                                         int entries = 0) {
  Bytes f;
  f.u32(40), f.u32(uint32_t(width)), f.u32(uint32_t(height)), f.u16(1), f.u16(uint32_t(bits)), f.u32(compression);
  f.u32(0), f.u32(0), f.u32(0), f.u32(uint32_t(entries)), f.u32(0);
  for (int k = 0; k < entries; ++k) f.b.push_back(uint8_t(k)), f.b.push_back(uint8_t(255 - k)), f.b.push_back(uint8_t(k / 2)), f.b.push_back(0);
  return f.b;
}

}  // namespace avitest
