// Still images: an information call, a loader and a saver for each still
// format the graphics input reads and the output writer writes. BMP, PCX and
// TGA are read and written by code of our own; PNG, JPEG, TIFF and GIF go
// through libpng, libjpeg-turbo, libtiff and giflib.
//
// Platform adaptations and choices:
// - The formats' codes are the graphics input's kind codes.
// - No size limit is applied by the information call; the loaders of our own
//   readers refuse pictures above kStillMaxSide in either direction before
//   they allocate anything (the caller applies the limit where it must).
// - A loader delivers whatever the caller's buffer asks for: 8 bits (palette
//   indices) only from files of 8 bits a pixel or fewer, 24 bits from any
//   file (indexed pictures expanded through their palette). Alpha is dropped,
//   never composited.
// - Grey files of 8 bits or fewer come as indices into a grey palette
//   (2^bits levels from black to white); deeper grey comes as 24 bits.
// - GIF delivers its first frame on the logical screen, the rest of which is
//   the background colour.
// - The libraries' warnings are silenced and their errors end the call with
//   false; nothing of theirs is left allocated.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/libns.h"

TOL_NS_BEGIN

enum class StillFormat : int32_t { Bmp = 3, Gif = 4, Tif = 5, Jpeg = 6, Tga = 7, Png = 8, Pcx = 9 };

constexpr int32_t kStillMaxSide = 4096;

struct StillInfo {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;  // as the file holds: 1, 4, 8, 16, 24, 32 (a 16-bit-a-sample PNG or TIFF: 48 or 64)
  int32_t compression;   // TIFF compression code, else 0
};

// Reads only what it needs of the header; false when the file is not a
// readable file of that format. No size limit applied here.
bool stillImageInfo(StillFormat format, const char* name, StillInfo& info);

// An image buffer: width, height, bits (8: palette indices, 24: blue, green,
// red bytes) and pitch (bytes from one row to the next, at least what the
// width needs) set by the caller; pixels points to pitch * height bytes whose
// rows are stored bottom-up (the first row in memory is the picture's bottom
// row). colours holds 256 entries of blue, green, red, 0; coloursUsed counts
// the ones the picture uses (0 for true colour).
struct StillImage {
  int32_t width;
  int32_t height;
  int32_t bits;
  int32_t pitch;
  uint8_t* pixels;
  uint8_t colours[256][4];
  int32_t coloursUsed;
};

// Fills pixels and colours from the file; the file's size must be the
// buffer's. False on any error: then the buffer's contents are unspecified,
// but nothing outside it has been touched.
bool stillImageLoad(StillFormat format, const char* name, StillImage& image);

// A still image file whose header has been read once: the information call
// and the loader of one file without reading its header twice. The file is
// held open from open() to the first load; later loads read it again.
class StillFile {
 public:
  // Null when the file is not a readable file of that format (as for
  // stillImageInfo).
  static std::unique_ptr<StillFile> open(StillFormat format, const char* name);
  virtual ~StillFile() = default;
  const StillInfo& info() const { return info_; }
  // As stillImageLoad.
  virtual bool load(StillImage& image) = 0;
  // Whether loadWords can deliver this picture (a true-colour PNG or JPEG).
  virtual bool loadsWords() const { return false; }
  // The picture as 32-bit words 0x00RRGGBB (blue, green, red, 0), top row
  // first at top, rows pitch bytes apart; the rows are the caller's memory,
  // so nothing is allocated for the pixels. False on any error (the rows'
  // contents are then unspecified).
  virtual bool loadWords(uint8_t* /*top*/, int32_t /*pitch*/) { return false; }

 protected:
  StillInfo info_{};
};

// JPEG quality the output writer uses.
constexpr int32_t kStillJpegQuality = 100;

// Writes the image (laid out as for the loader, 8 or 24 bits) as a file of
// the format, replacing any file of that name. 8-bit images are written
// indexed where the format has indexed pictures (BMP, PCX, PNG, TGA, TIFF,
// GIF), with at least coloursUsed colours and every colour their pixels use,
// and expanded through the colours otherwise (JPEG); GIF takes 8-bit images
// only. BMP and TGA are written uncompressed, PCX run-length coded (as the
// format is), PNG and TIFF losslessly (TIFF with Deflate, never compression
// code 5), JPEG at jpegQuality (1 to 100; from 90 on with colour at full
// resolution). False when the image cannot be written in that format or the
// file cannot be written (a partly written file is removed).
bool stillImageSave(StillFormat format, const char* name, const StillImage& image,
                    int32_t jpegQuality = kStillJpegQuality);

// An animated GIF as a run of frames: each frame composed on the logical
// screen as players show it (pixels of the transparent colour keep what lies
// below; the previous frame's disposal, to background or to what was there
// before it, applied first) and delivered at 24 bits, since frames may bring
// colour tables of their own. Screens above kStillMaxSide are refused, and
// frames after the first kGifMaxFrames or the first damaged one are not
// counted.
constexpr int32_t kGifMaxFrames = 1 << 20;

class GifAnimation {
 public:
  // Null when the file is no readable GIF with at least one frame.
  static std::unique_ptr<GifAnimation> open(const char* name);
  ~GifAnimation();
  int32_t width() const;
  int32_t height() const;
  int32_t frames() const;
  // Frame i's delay in 1/100 s as the file gives it (0 when it gives none).
  int32_t delay(int32_t i) const;
  // Composes frame i (0-based, below frames()) on the canvas, from the
  // first frame again when i lies before the frame last composed. False on
  // a damaged frame: the canvas then holds what was drawn of it.
  bool compose(int32_t i);
  // The screen's picture: blue, green, red bytes, width() * 3 bytes a row,
  // top row first.
  const uint8_t* canvas() const;

  struct State;

 private:
  explicit GifAnimation(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

TOL_NS_END
