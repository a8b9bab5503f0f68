// AVI files: the stream layer that the graphics input, the sound input and
// the output writer call, in the roles the Video for Windows AVI file calls
// play on the original platform (there is no such library here). Records,
// results and failure behaviour follow those calls; names are ours.
//
//   Video for Windows           here
//   AVIFileInit                 TOLAVIInit (include/tol/avi.h); optional
//   AVIFileOpen (read)          AVIFileOpenRead
//   AVIFileOpen (OF_CREATE)     AVIFileCreate (with a segment size limit)
//   AVIFileInfo                 AVIFileGetInfo
//   AVIFileGetStream            AVIFileGetStream (fccType, n-th of that type)
//   AVIFileCreateStream         AVIFileCreateStream
//   AVIFileRelease              AVIFileRelease
//   AVIStreamOpenFromFile       AVIStreamOpenFromFile
//   AVIStreamInfo               AVIStreamGetInfo
//   AVIStreamStart / Length     AVIStreamStart / AVIStreamLength
//   AVIStreamReadFormat         AVIStreamReadFormat
//   AVIStreamRead               AVIStreamRead
//   AVIStreamFindSample (key,   AVIStreamNearestKeyFrame
//     previous) / NearestKey...
//   AVIStreamSetFormat          AVIStreamSetFormat
//   AVIStreamWrite              AVIStreamWrite
//   AVIMakeCompressedStream     AVIMakeCompressedStream (Motion-JPEG only)
//   AVISaveOptions (dialog)     none: the caller fills AVICompressOptions
//   AVIStreamGetFrameOpen/...   AVIStreamGetFrameOpen / AVIStreamGetFrame /
//                               AVIStreamGetFrameClose
//   AVIStreamRelease            AVIStreamRelease
//
// Adaptations:
// - Handles are plain pointers, not COM objects. Reference counts work as
//   there: every stream handle (and compressed stream) holds a reference to
//   its file, so a stream opened from a file name keeps the file open, and
//   the file goes away with its last reference. A file being written is
//   finished (headers and indexes written) when its last reference goes.
// - Results are the same HRESULT-style values (kAVIErr...); functions that
//   return a handle return null on any failure.
// - Stream positions count from the stream's start (AVISTREAMINFO dwStart),
//   as there. Lengths come from the index actually found, not from the
//   header's length field, so a truncated file reports what it holds.
// - Decompression covers what the suite reads: uncompressed DIBs of 8 bits
//   (colour table, palette changes), 16 (5-5-5), 24 and 32 bits, top-down or
//   bottom-up; RLE8; Motion-JPEG ('MJPG', 'mjpg', 'AVRn', missing Huffman
//   tables taken as the standard ones, two fields in one chunk joined). The
//   frame getter always gives a bottom-up DIB: 8 bits for 8-bit sources and
//   RLE8 (256-entry colour table), 16, 24 or 32 bits for uncompressed
//   sources of those depths, 24 bits for Motion-JPEG. A frame that cannot be
//   decoded gives null; an empty chunk (a dropped frame) repeats the picture
//   before it. Limits: 16384 pixels a side, 36 M pixels a picture;
//   Motion-JPEG pictures sequential, Huffman-coded, at most the frame's size
//   (plus block padding).
// - Compression for writing is Motion-JPEG at a caller-given quality (the
//   codec dialog has no counterpart); the quality is Video for Windows' 0 to
//   10000 scale, 10000/100 being the JPEG quality.
// - The reader reads files of any size, from a read-only view of the file
//   where the system gives one (uncompressed frames then cost one memory
//   copy), else through 64-bit positions. The writer
//   goes through the buffered file I/O, whose positions are 32-bit: a file
//   stops growing at 4 GiB - 1 (writes beyond fail with kAVIErrFileWrite).
//   It writes an 'idx1' index for the first RIFF part and, once a part
//   reaches the segment limit, continues in 'RIFF AVIX' parts with OpenDML
//   indexes ('indx' super index, 'ix##' standard indexes) for every part.
// - A writer holds at most kAVIMaxWriteStreams streams, formats of at most
//   kAVIMaxFormatBytes, and at most kAVIMaxSegments RIFF parts.
//
// Damaged or hostile files: every chunk size, count, offset and table entry
// is checked against its parent and the file before use. Opening gives null
// when the headers are unusable; index entries pointing outside the file are
// left out; a frame whose data does not decode gives null from the getter.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t makeFourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

constexpr uint32_t kStreamTypeVideo = makeFourCC('v', 'i', 'd', 's');
constexpr uint32_t kStreamTypeAudio = makeFourCC('a', 'u', 'd', 's');
constexpr uint32_t kFourCCMJPG = makeFourCC('M', 'J', 'P', 'G');

// Results (the HRESULT values of the original calls).
constexpr int32_t kAVIErrOK = 0;
constexpr int32_t kAVIErrUnsupported = static_cast<int32_t>(0x80044065);
constexpr int32_t kAVIErrBadFormat = static_cast<int32_t>(0x80044066);
constexpr int32_t kAVIErrMemory = static_cast<int32_t>(0x80044067);
constexpr int32_t kAVIErrBadParam = static_cast<int32_t>(0x8004406A);
constexpr int32_t kAVIErrFileRead = static_cast<int32_t>(0x8004406D);
constexpr int32_t kAVIErrFileWrite = static_cast<int32_t>(0x8004406E);
constexpr int32_t kAVIErrReadOnly = static_cast<int32_t>(0x80044072);
constexpr int32_t kAVIErrNoData = static_cast<int32_t>(0x80044073);
constexpr int32_t kAVIErrBufferTooSmall = static_cast<int32_t>(0x80044074);

// AVIStreamWrite flags and index flags.
constexpr uint32_t kAVIKeyFrame = 0x10;

constexpr uint32_t kAVIMaxWriteStreams = 4;
constexpr uint32_t kAVIMaxFormatBytes = 40 + 256 * 4;
constexpr uint32_t kAVIMaxSegments = 64;
constexpr uint32_t kAVIDefaultSegmentLimit = 1u << 30;  // 1 GiB, as OpenDML writers use
constexpr uint32_t kAVIMinSegmentLimit = 64 * 1024;

#pragma pack(push, 2)
// Windows bitmap information header (40 bytes); for 8 bits or fewer a colour
// table of clrUsed (0: 2^bitCount) blue, green, red, 0 entries follows.
struct BitmapInfoHeader {
  uint32_t size;
  int32_t width;
  int32_t height;  // negative: rows top-down
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;  // 0 uncompressed, 1 RLE8, else a fourcc
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t clrUsed;
  uint32_t clrImportant;
};
// Wave format (18 bytes with cbSize; PCM blocks may stop after bitsPerSample).
struct WaveFormat {
  uint16_t formatTag;  // 1 = PCM
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40 && sizeof(WaveFormat) == 18);

struct AVIRect {
  int32_t left, top, right, bottom;
};

// AVISTREAMINFO.
struct AVIStreamInfo {
  uint32_t fccType;     // kStreamTypeVideo, kStreamTypeAudio, ...
  uint32_t fccHandler;  // codec fourcc (video)
  uint32_t flags;
  uint32_t caps;
  uint16_t priority;
  uint16_t language;
  uint32_t scale;  // rate / scale = samples per second
  uint32_t rate;
  uint32_t start;   // first position
  uint32_t length;  // samples (video: frames; audio: sample frames)
  uint32_t initialFrames;
  uint32_t suggestedBufferSize;
  uint32_t quality;
  uint32_t sampleSize;  // 0: one chunk per sample; audio: block align
  AVIRect frame;        // read: from 'strh', else (0, 0, width, height)
  uint32_t editCount;
  uint32_t formatChangeCount;
  char name[64];
};

// AVIFILEINFO.
struct AVIFileInfo {
  uint32_t maxBytesPerSec;
  uint32_t flags;
  uint32_t caps;
  uint32_t streams;
  uint32_t suggestedBufferSize;
  uint32_t width;  // from 'avih'; 0 in a file without video
  uint32_t height;
  uint32_t scale;  // microseconds per frame (from 'avih') over rate 1000000
  uint32_t rate;
  uint32_t length;  // frames of the first video stream
  uint32_t editCount;
  char fileType[64];
};

// AVICOMPRESSOPTIONS, the part that matters here.
struct AVICompressOptions {
  uint32_t fccType;     // kStreamTypeVideo
  uint32_t fccHandler;  // kFourCCMJPG (or 'mjpg'); 0 or 'DIB ' writes uncompressed
  uint32_t quality;     // 0..10000
};

struct AVIFile;
struct AVIStream;
struct AVIGetFrame;

// Readers work without it; it prepares shared tables once per process.
void AVIInit();

AVIFile* AVIFileOpenRead(const char* name);
// The same over bytes in memory (tests and fuzzing); the bytes must outlive
// every handle of the file.
AVIFile* AVIFileOpenMemory(const void* data, size_t size);
// segmentLimit: bytes per RIFF part (0: kAVIDefaultSegmentLimit; raised to
// kAVIMinSegmentLimit). Any existing file of that name is replaced.
AVIFile* AVIFileCreate(const char* name, uint32_t segmentLimit = 0);
int32_t AVIFileGetInfo(AVIFile* file, AVIFileInfo* info);
// The number-th (0-based) stream of type fccType (0: of any type); a new
// reference, or null.
AVIStream* AVIFileGetStream(AVIFile* file, uint32_t fccType, int32_t number);
AVIStream* AVIFileCreateStream(AVIFile* file, const AVIStreamInfo* info);
// Returns the references left.
uint32_t AVIFileAddRef(AVIFile* file);
uint32_t AVIFileRelease(AVIFile* file);

AVIStream* AVIStreamOpenFromFile(const char* name, uint32_t fccType, int32_t number);
int32_t AVIStreamGetInfo(AVIStream* stream, AVIStreamInfo* info);
int32_t AVIStreamStart(AVIStream* stream);
int32_t AVIStreamLength(AVIStream* stream);
// The format block valid at position pos (palette changes included). With a
// null format, *size gets the size needed; else up to *size bytes are copied
// and *size gets the count copied.
int32_t AVIStreamReadFormat(AVIStream* stream, int32_t pos, void* format, int32_t* size);
// Reads from position start: one chunk for streams of sample size 0,
// otherwise as many whole samples as the buffer takes, up to count (count -1:
// the rest of the chunk holding start). A null buffer gives just the sizes.
// bytesRead and samplesRead may be null. kAVIErrBufferTooSmall when the
// buffer cannot take one sample (then *bytesRead says what it needs);
// kAVIErrBadParam for a position outside the stream.
int32_t AVIStreamRead(AVIStream* stream, int32_t start, int32_t count, void* buffer, int32_t bufferSize,
                      int32_t* bytesRead, int32_t* samplesRead);
// The key frame at or before pos; -1 when there is none or pos is outside.
int32_t AVIStreamNearestKeyFrame(AVIStream* stream, int32_t pos);
int32_t AVIStreamIsKeyFrame(AVIStream* stream, int32_t pos);
// Writing: the format at pos. The first call sets the stream's format; later
// calls with the same block do nothing, and an 8-bit video format that
// differs only in its colour table writes a palette change before the next
// frame. Other changes: kAVIErrUnsupported.
int32_t AVIStreamSetFormat(AVIStream* stream, int32_t pos, const void* format, int32_t size);
// Appends one chunk at pos (the stream's length; a video pos beyond it writes
// empty chunks for the frames in between). flags: kAVIKeyFrame.
int32_t AVIStreamWrite(AVIStream* stream, int32_t pos, int32_t count, const void* buffer, int32_t bytes,
                       uint32_t flags, int32_t* samplesWritten, int32_t* bytesWritten);
// A stream that compresses the DIBs written to it (format: the uncompressed
// BitmapInfoHeader block) into `source`. Null when the options ask for a
// compressor we do not have.
AVIStream* AVIMakeCompressedStream(AVIStream* source, const AVICompressOptions* options);
uint32_t AVIStreamAddRef(AVIStream* stream);
uint32_t AVIStreamRelease(AVIStream* stream);

// wanted: null for the natural format (see above); otherwise a header whose
// bitCount is the natural one, 24 or 32 (converted), other fields ignored.
AVIGetFrame* AVIStreamGetFrameOpen(AVIStream* stream, const BitmapInfoHeader* wanted);
// The frame at pos as a bottom-up DIB: header, colour table, pixels, valid
// until the next call. Null when pos is outside or the frame is damaged.
const BitmapInfoHeader* AVIStreamGetFrame(AVIGetFrame* getter, int32_t pos);
void AVIStreamGetFrameClose(AVIGetFrame* getter);

TOL_NS_END
