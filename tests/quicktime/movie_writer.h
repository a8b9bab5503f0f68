// A small writer of QuickTime movies for the tests: tracks of video samples
// or of sound, laid out in one media data box with the movie box before or
// after it, with 32- or 64-bit chunk offsets and box sizes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace qttest {

using Bytes = std::vector<uint8_t>;

inline void put8(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); }
inline void put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
inline void put32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}
inline void put64(Bytes& b, uint64_t v) {
  put32(b, uint32_t(v >> 32));
  put32(b, uint32_t(v));
}
inline void putCode(Bytes& b, const char* code) { b.insert(b.end(), code, code + 4); }
inline void putZeros(Bytes& b, size_t n) { b.insert(b.end(), n, 0); }
inline void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

inline Bytes box(const char* type, const Bytes& body, bool largeSize = false) {
  Bytes b;
  if (largeSize) {
    put32(b, 1);
    putCode(b, type);
    put64(b, body.size() + 16);
  } else {
    put32(b, uint32_t(body.size() + 8));
    putCode(b, type);
  }
  append(b, body);
  return b;
}

// A box with a version byte and 24 bits of flags before its body.
inline Bytes fullBox(const char* type, uint8_t version, uint32_t flags, const Bytes& body) {
  Bytes b;
  put32(b, uint32_t(version) << 24 | flags);
  append(b, body);
  return box(type, b);
}

struct Rgb16 {
  uint16_t r, g, b;
};

// A visual sample entry; a colour table follows when `table` is not empty
// (its id is then 0, else colourTableId).
inline Bytes videoEntry(const char* format, int width, int height, int depth, const std::vector<Rgb16>& table = {},
                        int16_t colourTableId = -1) {
  Bytes e;
  putZeros(e, 6);
  put16(e, 1);  // data reference
  put16(e, 0);
  put16(e, 0);
  putCode(e, "test");
  put32(e, 0);
  put32(e, 512);
  put16(e, uint32_t(width));
  put16(e, uint32_t(height));
  put32(e, 72u << 16);
  put32(e, 72u << 16);
  put32(e, 0);
  put16(e, 1);
  putZeros(e, 32);
  put16(e, uint32_t(depth));
  put16(e, uint16_t(table.empty() ? colourTableId : 0));
  if (!table.empty()) {
    put32(e, 0);
    put16(e, 0);
    put16(e, uint32_t(table.size() - 1));
    for (size_t i = 0; i < table.size(); ++i) {
      put16(e, uint32_t(i));
      put16(e, table[i].r);
      put16(e, table[i].g);
      put16(e, table[i].b);
    }
  }
  return box(format, e);
}

// Sound sample entries of version 0 (or 1 with the per-sample byte count),
// and version 2 as integer 'lpcm' uses it.
inline Bytes soundEntry(const char* format, int channels, int bits, uint32_t rate, int version = 0) {
  Bytes e;
  putZeros(e, 6);
  put16(e, 1);
  put16(e, uint32_t(version));
  put16(e, 0);
  put32(e, 0);
  put16(e, uint32_t(channels));
  put16(e, uint32_t(version == 1 ? 16 : bits));
  put16(e, 0);
  put16(e, 0);
  put32(e, rate << 16);
  if (version == 1) {
    put32(e, 1);
    put32(e, uint32_t(bits / 8));
    put32(e, uint32_t(bits / 8 * channels));
    put32(e, uint32_t(bits / 8));
  }
  return box(format, e);
}

inline Bytes lpcmEntry(int channels, int bits, double rate, uint32_t flags) {
  Bytes e;
  putZeros(e, 6);
  put16(e, 1);
  put16(e, 2);
  put16(e, 0);
  put32(e, 0);
  put16(e, 3);
  put16(e, 16);
  put16(e, 0xFFFE);
  put16(e, 0);
  put32(e, 65536);
  put32(e, 72);
  uint64_t rateBits;
  static_assert(sizeof rateBits == sizeof rate);
  __builtin_memcpy(&rateBits, &rate, sizeof rate);
  put64(e, rateBits);
  put32(e, uint32_t(channels));
  put32(e, 0x7F000000);
  put32(e, uint32_t(bits));
  put32(e, flags);
  put32(e, uint32_t((bits + 7) / 8 * channels));
  put32(e, 1);
  return box("lpcm", e);
}

struct Track {
  std::string handler = "vide";
  Bytes sampleEntry;
  uint32_t mediaScale = 600;
  // Video: one entry per sample. Sound: one sample per frame of
  // `frameBytes` bytes, taken from `sound`.
  std::vector<Bytes> samples;
  std::vector<uint32_t> durations;  // per sample; empty: all `duration`
  uint32_t duration = 20;
  Bytes sound;
  uint32_t frameBytes = 0;
  uint32_t stszSize = 0;  // sound: the constant size written (0: frameBytes)
  uint32_t samplesPerChunk = 1;
  bool externalData = false;

  uint32_t sampleCount() const { return frameBytes ? uint32_t(sound.size() / frameBytes) : uint32_t(samples.size()); }
  uint64_t mediaDuration() const {
    uint64_t d = 0;
    for (uint32_t i = 0; i < sampleCount(); ++i) d += durations.empty() ? duration : durations[i];
    return d;
  }
};

struct Movie {
  uint32_t timeScale = 600;
  uint64_t duration = 0;  // 0: the longest track's
  std::vector<Track> tracks;
  bool movieFirst = false;
  bool chunkOffsets64 = false;
  bool largeSizes = false;  // 64-bit sizes on the media data and movie boxes
};

namespace detail {

struct Chunk {
  size_t track;
  uint64_t offset;  // within the media data payload
};

inline Bytes timeToSample(const Track& t) {
  Bytes runs;
  uint32_t count = 0;
  uint32_t entries = 0;
  for (uint32_t i = 0; i < t.sampleCount(); ++i) {
    const uint32_t d = t.durations.empty() ? t.duration : t.durations[i];
    const uint32_t next = i + 1 < t.sampleCount() ? (t.durations.empty() ? t.duration : t.durations[i + 1]) : ~0u;
    ++count;
    if (next != d) {
      put32(runs, count);
      put32(runs, d);
      ++entries;
      count = 0;
    }
  }
  Bytes b;
  put32(b, entries);
  append(b, runs);
  return fullBox("stts", 0, 0, b);
}

inline Bytes trackBox(const Movie& m, const Track& t, size_t index, const std::vector<uint64_t>& chunkOffsets) {
  Bytes stsd;
  put32(stsd, 1);
  append(stsd, t.sampleEntry);

  const uint32_t count = t.sampleCount();
  Bytes stsc;
  put32(stsc, 1);
  put32(stsc, 1);
  put32(stsc, t.samplesPerChunk);
  put32(stsc, 1);

  Bytes stsz;
  if (t.frameBytes) {
    put32(stsz, t.stszSize ? t.stszSize : t.frameBytes);
    put32(stsz, count);
  } else {
    put32(stsz, 0);
    put32(stsz, count);
    for (const Bytes& s : t.samples) put32(stsz, uint32_t(s.size()));
  }

  Bytes stco;
  put32(stco, uint32_t(chunkOffsets.size()));
  for (uint64_t o : chunkOffsets) m.chunkOffsets64 ? put64(stco, o) : put32(stco, uint32_t(o));

  Bytes stbl = fullBox("stsd", 0, 0, stsd);
  append(stbl, timeToSample(t));
  append(stbl, fullBox("stsc", 0, 0, stsc));
  append(stbl, fullBox("stsz", 0, 0, stsz));
  append(stbl, fullBox(m.chunkOffsets64 ? "co64" : "stco", 0, 0, stco));

  Bytes dref;
  put32(dref, 1);
  append(dref, fullBox("alis", 0, t.externalData ? 0 : 1, {}));
  Bytes minf = box("dinf", fullBox("dref", 0, 0, dref));
  append(minf, box("stbl", stbl));

  Bytes mdhd;
  putZeros(mdhd, 8);
  put32(mdhd, t.mediaScale);
  put32(mdhd, uint32_t(t.mediaDuration()));
  putZeros(mdhd, 4);
  Bytes hdlr;
  putCode(hdlr, "mhlr");
  putCode(hdlr, t.handler.c_str());
  putZeros(hdlr, 13);
  Bytes mdia = fullBox("mdhd", 0, 0, mdhd);
  append(mdia, fullBox("hdlr", 0, 0, hdlr));
  append(mdia, box("minf", minf));

  Bytes tkhd;
  putZeros(tkhd, 8);
  put32(tkhd, uint32_t(index + 1));
  putZeros(tkhd, 68);
  Bytes trak = fullBox("tkhd", 0, 15, tkhd);
  append(trak, box("mdia", mdia));
  return box("trak", trak);
}

}  // namespace detail

inline Bytes writeMovie(const Movie& m) {
  // Media data: each track's chunks in turn.
  Bytes payload;
  std::vector<std::vector<uint64_t>> chunkOffsets(m.tracks.size());
  for (size_t t = 0; t < m.tracks.size(); ++t) {
    const Track& track = m.tracks[t];
    for (uint32_t s = 0; s < track.sampleCount(); ++s) {
      if (s % track.samplesPerChunk == 0) chunkOffsets[t].push_back(payload.size());
      if (track.frameBytes)
        payload.insert(payload.end(), track.sound.begin() + size_t(s) * track.frameBytes,
                       track.sound.begin() + size_t(s + 1) * track.frameBytes);
      else
        append(payload, track.samples[s]);
    }
  }
  Bytes ftyp;
  putCode(ftyp, "qt  ");
  put32(ftyp, 0);
  putCode(ftyp, "qt  ");
  const Bytes head = box("ftyp", ftyp);
  const Bytes mdat = box("mdat", payload, m.largeSizes);
  const size_t mdatHeader = m.largeSizes ? 16 : 8;

  auto movieBox = [&](uint64_t payloadStart) {
    uint64_t longest = 0;
    for (const Track& t : m.tracks) longest = std::max(longest, t.mediaDuration() * m.timeScale / t.mediaScale);
    Bytes mvhd;
    putZeros(mvhd, 8);
    put32(mvhd, m.timeScale);
    put32(mvhd, uint32_t(m.duration ? m.duration : longest));
    putZeros(mvhd, 80);
    Bytes moov = fullBox("mvhd", 0, 0, mvhd);
    for (size_t t = 0; t < m.tracks.size(); ++t) {
      std::vector<uint64_t> absolute = chunkOffsets[t];
      for (uint64_t& o : absolute) o += payloadStart;
      append(moov, detail::trackBox(m, m.tracks[t], t, absolute));
    }
    return box("moov", moov, m.largeSizes);
  };

  Bytes file = head;
  if (m.movieFirst) {
    const size_t moovSize = movieBox(0).size();
    append(file, movieBox(head.size() + moovSize + mdatHeader));
    append(file, mdat);
  } else {
    append(file, mdat);
    append(file, movieBox(head.size() + mdatHeader));
  }
  return file;
}

}  // namespace qttest
