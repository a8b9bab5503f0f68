#include "encoder/zurnmix.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "encoder/container.h"
#include "encoder/sound_track.h"
#include "encoder/work_plan.h"
#include "fileio/tolfile.h"
#include "platform/alloc.h"
#include "platform/os.h"
#include "tol/zurnmix_record.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kFileBuffer = 32768;
constexpr size_t kMaxOutputName = 123;  // the temporary name must fit 127 bytes
constexpr const char* kOpenFailed = "Couldn't open input Zurn file.";
constexpr const char* kCreateFailed =
    "Couldn't create temporary file.\n\nSome possible reasons for this error include:\n"
    "  1) mixing to a read-only drive (like a CD-ROM),\n"
    "  2) mixing to a drive that is full (out of disk space), or\n"
    "  3) mixing multiple files to the same Zurn output filename.";
constexpr const char* kOutOfMemory = "Out of memory!";
constexpr const char* kDamaged = "The Zurn file is damaged.";
constexpr const char* kWriteFailed = "Couldn't write the mixed Zurn file.";
constexpr const char* kRenameFailed = "Zurn couldn't rename the temporary file.";

void tell(ZurnMakeCallback callback, const char* text) {
  if (callback) callback(ZURNMAKE_MESSAGE, nullptr, text);
}

uint32_t loadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The temporary file must not be the input itself (an input named like the
// output's temporary file would be truncated before it is read).
bool sameFile(const char* a, const char* b) {
  char fullA[4096], fullB[4096];
  return os::fullPath(a, fullA, sizeof fullA) && os::fullPath(b, fullB, sizeof fullB) &&
         std::strcmp(fullA, fullB) == 0;
}

// The input's header, checked against the file's size.
bool readHeader(TOLFile* in, ZurnHeader& h) {
  uint32_t words[kZurnHeaderSize / 4];
  for (uint32_t& w : words) w = TOLFileGet32(in);
  if (words[0] != kZurnMagic) return false;
  h = ZurnHeader{words[1], words[2], words[3], words[4], words[5], words[6], words[7], words[8], words[9], words[10]};
  const uint64_t dataStart = kZurnHeaderSize + 12 * uint64_t{h.soundTrackCount} + 4 * (uint64_t{h.indexFrames} + 1);
  return dataStart <= TOLFileSize(in) && h.frames <= h.indexFrames;
}

// The largest frame that the index describes, or false when its offsets do
// not run forward inside the file. The frame buffer is sized by this, not
// by the header's claim.
bool measureFrames(TOLFile* in, const ZurnHeader& h, uint32_t* largest) {
  const uint64_t dataStart = firstFrameOffset(h.soundTrackCount, h.indexFrames);
  const uint64_t size = TOLFileSize(in);
  TOLFileSetPos(in, kZurnHeaderSize + 12 * h.soundTrackCount);
  uint64_t previous = dataStart;
  *largest = 0;
  for (uint32_t f = 0; f <= h.frames; ++f) {
    const uint64_t offset = TOLFileGet32(in) & ~kIndexKeyframeBit;
    if (offset < previous || offset > size) return false;
    if (f > 0) *largest = std::max<uint32_t>(*largest, static_cast<uint32_t>(offset - previous));
    previous = offset;
  }
  return true;
}

// Everything a mix works with, carved from one allocation.
struct Mix {
  ZurnHeader header;  // the input's, with the new frame rate
  uint32_t inputTracks, outputTracks;
  uint32_t frameCapacity;   // the input's largest frame, as its index says
  uint32_t largestWritten;  // the output's largest frame
  uint8_t* frame;           // one input frame
  SoundTrackState* tracks;
  uint32_t* oldIndex;
  uint32_t* newIndex;
  uint32_t *maxDecoded, *flags, *ids;  // the input's tables
};

bool readTables(TOLFile* in, Mix& m) {
  const uint32_t t = m.inputTracks;
  const uint32_t entries = m.header.indexFrames + 1;
  TOLFileSetPos(in, kZurnHeaderSize);
  return TOLFileGetNB(in, m.maxDecoded, 4 * t) == 4 * t && TOLFileGetNB(in, m.flags, 4 * t) == 4 * t &&
         TOLFileGetNB(in, m.ids, 4 * t) == 4 * t && TOLFileGetNB(in, m.oldIndex, 4 * entries) == 4 * entries;
}

// Input tracks first, in their order (replaced where a description has the
// same id), then the descriptions not taken. False when a coder cannot be
// allocated.
bool matchTracks(Mix& m, uint32_t trackCount, ZurnMakeSoundTrack* descriptions, int32_t delay) {
  const uint32_t frames = m.header.frames, num = m.header.fpsNumerator, den = m.header.fpsDenominator;
  auto open = [&](SoundTrackState& state, const ZurnMakeSoundTrack& d) {
    if (!soundTrackOpen(state, d, frames, num, den)) return false;
    soundTrackDelay(state, delay, num, den);
    return true;
  };
  uint32_t out = 0;
  for (uint32_t i = 0; i < m.inputTracks; ++i, ++out) {
    SoundTrackState& state = m.tracks[out];
    ZurnMakeSoundTrack* match = nullptr;
    for (uint32_t j = 0; j < trackCount && !match; ++j)
      if (descriptions[j].trackId == m.ids[i] && descriptions[j].rate != 0) match = &descriptions[j];
    if (match) {
      if (!open(state, *match)) return false;
      match->rate = 0;  // taken: the caller sees which descriptions replaced a track
    } else {
      state.maxDecoded = m.maxDecoded[i];
      state.flags = m.flags[i];
      state.trackId = m.ids[i];
    }
  }
  for (uint32_t j = 0; j < trackCount; ++j)
    if (descriptions[j].rate != 0 && !open(m.tracks[out++], descriptions[j])) return false;
  m.outputTracks = out;
  return true;
}

// Result of copying the frames.
enum class Copied { kAll, kStopped, kDamaged };

Copied copyFrames(Mix& m, TOLFile* in, TOLFile* out, ZurnMakeCallback callback) {
  ZurnMixProgress progress{};
  for (uint32_t f = 0; f < m.header.frames; ++f) {
    progress.frame = f;
    progress.position = TOLFileGetPos(out);
    const bool stop = callback && callback(ZURNMAKE_PROGRESS, reinterpret_cast<ZurnMakeState*>(&progress), "") != 0;

    const uint32_t start = m.oldIndex[f] & ~kIndexKeyframeBit;
    const uint32_t end = m.oldIndex[f + 1] & ~kIndexKeyframeBit;
    if (end < start || end - start > m.frameCapacity) return Copied::kDamaged;
    const uint32_t size = end - start;
    TOLFileSetPos(in, start);
    if (TOLFileGetNB(in, m.frame, size) != size) return Copied::kDamaged;
    m.newIndex[f] = progress.position | (m.oldIndex[f] & kIndexKeyframeBit);

    uint32_t pos = 0;
    for (uint32_t t = 0; t < m.outputTracks; ++t) {
      SoundTrackState& track = m.tracks[t];
      uint32_t packetEnd = pos;
      if (t < m.inputTracks) {  // the input's packet at this position is stepped over either way
        if (size - pos < 4 || loadLE32(m.frame + pos) > size - pos - 4) return Copied::kDamaged;
        packetEnd = pos + 4 + loadLE32(m.frame + pos);
      }
      if (track.rate == 0)
        TOLFilePutNB(out, m.frame + pos, packetEnd - pos);
      else
        soundTrackWritePacket(track, out, &progress, f, m.header.fpsNumerator, m.header.fpsDenominator);
      pos = packetEnd;
    }
    TOLFilePutNB(out, m.frame + pos, size - pos);  // the video planes

    const uint32_t written = TOLFileGetPos(out);
    m.newIndex[f + 1] = written | (m.oldIndex[f + 1] & kIndexKeyframeBit);
    m.largestWritten = std::max(m.largestWritten, written - progress.position);
    if (stop) return Copied::kStopped;
  }
  return Copied::kAll;
}

}  // namespace

uint32_t ZurnMix(const char* inputName, const char* outputName, uint32_t fpsNumerator, uint32_t fpsDenominator,
                 int32_t delay, uint32_t trackCount, ZurnMakeSoundTrack* tracks, ZurnMakeCallback callback) {
  if (trackCount == 0 || !tracks) return 0;
  // 1. The input.
  TOLFile* in = inputName ? TOLFileOpen(kFileBuffer, inputName, TOLFILE_READ_ONLY) : nullptr;
  if (!in) {
    tell(callback, kOpenFailed);
    return 0;
  }
  // 2. The temporary file.
  char tempName[TOLFILE_NAME_SIZE];
  TOLFile* out = nullptr;
  if (outputName && std::strlen(outputName) <= kMaxOutputName) {
    std::snprintf(tempName, sizeof tempName, "%s.tmp", outputName);
    if (!sameFile(tempName, inputName)) out = TOLFileCreate(kFileBuffer, tempName);
  }
  if (!out) {
    tell(callback, kCreateFailed);
    TOLFileClose(in);
    return 0;
  }
  Mix* mix = nullptr;
  auto fail = [&](const char* text) {
    if (mix) {
      for (uint32_t t = 0; t < mix->outputTracks; ++t) soundTrackClose(mix->tracks[t]);
      tolfree(mix);
    }
    TOLFileClose(in);
    TOLFileClose(out);
    TOLFileErase(tempName);
    if (text) tell(callback, text);
    return 0u;
  };

  // 3. Header with the frame-rate override, one allocation, the input's tables.
  ZurnHeader header{};
  uint32_t largestFrame = 0;
  if (!readHeader(in, header)) return fail(kOpenFailed);
  if (!measureFrames(in, header, &largestFrame)) return fail(kDamaged);
  if (fpsNumerator != 0 && fpsDenominator != 0) {
    const uint32_t common = std::gcd(fpsNumerator, fpsDenominator);
    header.fpsNumerator = fpsNumerator / common;
    header.fpsDenominator = fpsDenominator / common;
  }
  const uint64_t trackSlots = uint64_t{header.soundTrackCount} + trackCount;
  const uint64_t indexBytes = 4 * (uint64_t{header.indexFrames} + 1);
  Mix shape{};
  shape.header = header;
  shape.inputTracks = header.soundTrackCount;
  shape.frameCapacity = largestFrame;
  WorkPlan plan(sizeof(Mix));
  plan.add(shape.frame, largestFrame);
  plan.add(shape.tracks, trackSlots * sizeof(SoundTrackState));
  plan.add(shape.oldIndex, indexBytes);
  plan.add(shape.newIndex, indexBytes);
  plan.add(shape.maxDecoded, 4 * trackSlots);
  plan.add(shape.flags, 4 * trackSlots);
  plan.add(shape.ids, 4 * trackSlots);
  void* block = plan.allocate();
  if (!block) return fail(kOutOfMemory);
  mix = new (block) Mix(shape);
  std::memset(mix->tracks, 0, trackSlots * sizeof(SoundTrackState));
  std::memset(mix->newIndex, 0, indexBytes);
  if (!readTables(in, *mix)) return fail(kOpenFailed);

  // 4. Tracks. 5. The start of the new file, without its magic until the
  // end, with the old index holding the index's room.
  if (!matchTracks(*mix, trackCount, tracks, delay)) return fail(kOutOfMemory);
  ZurnHeader placeholder = mix->header;
  placeholder.largestFrame = 0;
  placeholder.soundTrackCount = mix->outputTracks;
  writeZurnHeader(out, placeholder);
  TOLFileSetPos(out, 0);
  TOLFilePut32(out, 0);
  writeSoundTables(out, mix->tracks, mix->outputTracks);
  writeFrameIndex(out, mix->oldIndex, mix->header.indexFrames);

  // 6. The frames.
  const Copied copied = copyFrames(*mix, in, out, callback);
  if (copied == Copied::kDamaged) return fail(kDamaged);
  if (copied == Copied::kStopped) return fail(nullptr);

  // 7. The final header, tables and index.
  TOLFileClose(in);
  const uint32_t size = TOLFileGetPos(out);
  ZurnHeader final = mix->header;
  final.fileSizeLess8 = size - 8;
  final.largestFrame = mix->largestWritten;
  final.soundTrackCount = mix->outputTracks;
  TOLFileSetPos(out, 0);
  writeZurnHeader(out, final);
  writeSoundTables(out, mix->tracks, mix->outputTracks);
  writeFrameIndex(out, mix->newIndex, mix->header.indexFrames);
  for (uint32_t t = 0; t < mix->outputTracks; ++t) soundTrackClose(mix->tracks[t]);
  tolfree(mix);
  TOLFileFlush(out);
  const bool writeFailed = out->writeError != 0;
  TOLFileClose(out);
  if (writeFailed) {
    TOLFileErase(tempName);
    tell(callback, kWriteFailed);
    return 0;
  }

  // 8. Replace the output.
  if (TOLFileErase(outputName) == 2) {
    char text[2 * TOLFILE_NAME_SIZE + 96];
    std::snprintf(text, sizeof text, "Zurn couldn't overwrite, '%s', so the new Zurn file is called: '%s'.",
                  outputName, tempName);
    tell(callback, text);
  } else if (TOLFileRename(outputName, tempName) != 0) {
    tell(callback, kRenameFailed);
  }
  return size;
}

TOL_NS_END
