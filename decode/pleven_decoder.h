// The Pleven decoder record and its operations (exported through
// include/tol/pleven.h, whose comment gives the behaviour).
//
// Open reads the header, the frame tables and the tree block, works out the
// frame offsets, the largest frame and the peak data rate, and chooses the
// buffering: every frame in memory (option, memory image, or a read-ahead
// that would cover four fifths of the frames anyway) or streaming through
// the read-ahead buffer into a frame buffer of the largest frame's size.
// Fetching a frame locates its palette chunk, sound chunks and video data
// and applies the palette; decoding writes its pixels into the destination.
#pragma once

#include <cstdint>

#include "decode/pleven_readahead.h"
#include "decode/pleven_video.h"
#include "platform/libns.h"
#include "platform/os.h"
#include "tol/pleven_record.h"
#include "util/huffman_decode.h"
#include "util/sound_chunk.h"

TOL_NS_BEGIN

struct PlevDecoder : ::PlevDecoder {
  // Source.
  os::File file = os::kInvalidFile;
  bool ownsFile = false;
  bool tracing = false;
  uint32_t options = 0;
  uint32_t entries = 0;         // frames in the tables (F, +1 with a ring frame)
  uint64_t dataStart = 0;       // offset of frame 0
  uint64_t* offsets = nullptr;  // entries + 1 offsets relative to dataStart

  // Frame bytes: all of them in memory, or the current one in frameBuffer.
  const uint8_t* frameArea = nullptr;
  uint8_t* ownedArea = nullptr;
  uint8_t* frameBuffer = nullptr;
  uint8_t* readAheadBuffer = nullptr;
  pleven::ReadAhead readAhead;

  // Decoded trees: the four word trees and their byte trees.
  uint8_t* treeStorage = nullptr;
  HuffDecodeTree trees[4];
  HuffDecodeTree byteTrees[8];

  // The current frame's pieces (frameValid false when they do not fit it).
  const uint8_t* frameData = nullptr;
  uint32_t frameSize = 0;
  bool frameValid = false;
  const uint8_t* soundChunk[PLEV_TRACKS] = {};
  const uint8_t* soundEnd[PLEV_TRACKS] = {};
  const uint8_t* video = nullptr;
  uint32_t videoSize = 0;
  int32_t paletteTakenFrame = -1;

  // Destination.
  pleven::Canvas canvas;
  bool lineDoubling = false;

  soundchunk::DecodeWork* soundWork = nullptr;
};

PlevDecoder* PlevOpen(const void* source, uint32_t options, int32_t bufferSize);
void PlevClose(PlevDecoder* d);
int32_t PlevSetDestination(PlevDecoder* d, int32_t x, int32_t y, int32_t pitch, int32_t height, void* buffer,
                           uint32_t mode);
int32_t PlevDecodeFrame(PlevDecoder* d);
void PlevNextFrame(PlevDecoder* d);
void PlevGotoFrame(PlevDecoder* d, int32_t n);
int32_t PlevTrackSound(PlevDecoder* d, void* destination, uint32_t trackOption);

namespace pleven {
// Makes frame n (0-based table entry) current: reads it, locates its chunks
// and applies its palette. Defined with the frame operations.
void fetchFrame(PlevDecoder* d, int32_t n);
}  // namespace pleven

TOL_NS_END
