// GIF through giflib. The first frame is read onto the logical screen, the
// rest of which is the background colour; its own colour table comes before
// the global one. Written as one frame with a global table of 2 to 256
// colours.
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/still_codecs.h"

TOL_NS_BEGIN

namespace {

struct GifReader {
  GifFileType* gif;
  explicit GifReader(const char* name) {
    int error = 0;
    gif = DGifOpenFileName(name, &error);
  }
  ~GifReader() {
    int error = 0;
    if (gif) DGifCloseFile(gif, &error);
  }
};

// Passes over the extension blocks up to the first image's descriptor.
bool findFirstImage(GifFileType* gif) {
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) == GIF_OK;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    while (block)
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
}

void setColours(const ColorMapObject* map, StillImage& image) {
  if (!map || !map->Colors) {
    stillGreyColours(image, 8);
    return;
  }
  stillClearColours(image);
  const int count = std::min(map->ColorCount, 256);
  for (int i = 0; i < count; ++i) {
    image.colours[i][0] = map->Colors[i].Blue;
    image.colours[i][1] = map->Colors[i].Green;
    image.colours[i][2] = map->Colors[i].Red;
  }
  image.coloursUsed = count;
}

// Stored line i of a frame of `height` lines as a frame row, interlaced in
// four passes or not.
int32_t frameRow(int32_t i, int32_t height, bool interlaced) {
  if (!interlaced) return i;
  static const int32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int32_t lines = height > start[pass] ? (height - start[pass] + step[pass] - 1) / step[pass] : 0;
    if (i < lines) return start[pass] + i * step[pass];
    i -= lines;
  }
  return 0;
}

}  // namespace

bool gifInfo(const char* name, StillInfo& info) {
  GifReader r(name);
  if (!r.gif) return false;
  info.width = r.gif->SWidth;
  info.height = r.gif->SHeight;
  info.bitsPerPixel = r.gif->SColorMap ? r.gif->SColorMap->BitsPerPixel : 8;
  info.compression = 0;
  return true;
}

bool gifLoad(const char* name, StillImage& image) {
  GifReader r(name);
  if (!r.gif || !stillBufferFits(image, r.gif->SWidth, r.gif->SHeight, true)) return false;
  GifFileType* gif = r.gif;
  if (!findFirstImage(gif)) return false;
  const GifImageDesc& frame = gif->Image;
  setColours(frame.ColorMap ? frame.ColorMap : gif->SColorMap, image);
  for (int32_t y = 0; y < image.height; ++y)
    std::fill_n(stillRow(image, y), image.width, static_cast<uint8_t>(gif->SBackGroundColor));
  std::vector<GifPixelType> line(std::max(frame.Width, 1));
  for (int32_t i = 0; i < frame.Height; ++i) {
    if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
    const int32_t y = frame.Top + frameRow(i, frame.Height, frame.Interlace);
    if (y >= image.height) {
      if (!frame.Interlace) break;  // the rest lies below the screen too
      continue;
    }
    const int32_t visible = std::clamp(image.width - frame.Left, 0, frame.Width);
    if (visible > 0) std::copy_n(line.data(), visible, stillRow(image, y) + frame.Left);
  }
  stillFinishIndexed(image);
  return true;
}

bool gifSave(const char* name, const StillImage& image) {
  if (image.bits != 8 || image.width > 0xFFFF || image.height > 0xFFFF) return false;
  int bits = 1;
  while ((1 << bits) < stillColoursToWrite(image)) ++bits;
  std::vector<GifColorType> colours(1u << bits);
  for (size_t i = 0; i < colours.size(); ++i)
    colours[i] = GifColorType{image.colours[i][2], image.colours[i][1], image.colours[i][0]};
  ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
  if (!map) return false;
  int error = 0;
  GifFileType* gif = EGifOpenFileName(name, false, &error);
  bool ok = gif != nullptr;
  ok = ok && EGifPutScreenDesc(gif, image.width, image.height, bits, 0, map) == GIF_OK;
  ok = ok && EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
  std::vector<GifPixelType> line(image.width);
  for (int32_t y = 0; ok && y < image.height; ++y) {
    std::copy_n(stillRow(image, y), image.width, line.begin());
    ok = EGifPutLine(gif, line.data(), image.width) == GIF_OK;
  }
  if (gif) ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  GifFreeMapObject(map);
  if (gif && !ok) std::remove(name);
  return ok;
}

TOL_NS_END
