// GIF through giflib. As a still, the first frame is read onto the logical
// screen, the rest of which is the background colour; its own colour table
// comes before the global one. As an animation, the frames are counted once,
// then decoded one after another onto a canvas of the screen, with the
// disposal methods and the transparent colour of their graphics control
// blocks. Written as one frame with a global table of 2 to 256 colours.
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "media/still_codecs.h"

TOL_NS_BEGIN

namespace {


void closeGif(GifFileType*& gif) {
  int error = 0;
  if (gif) DGifCloseFile(gif, &error);
  gif = nullptr;
}

// The image data of a frame whose descriptor was just read, passed over.
bool skipImageData(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
  while (block)
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

// An extension block; a graphics control block fills `control`.
bool readExtension(GifFileType* gif, GraphicsControlBlock& control, bool& hasControl) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    DGifExtensionToGCB(block[0], block + 1, &control);
    hasControl = true;
  }
  while (block)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

GraphicsControlBlock noControl() {
  GraphicsControlBlock c{};
  c.DisposalMode = DISPOSAL_UNSPECIFIED;
  c.TransparentColor = NO_TRANSPARENT_COLOR;
  return c;
}

struct GifReader {
  GifFileType* gif;
  explicit GifReader(const char* name) {
    int error = 0;
    gif = DGifOpenFileName(name, &error);
  }
  ~GifReader() { closeGif(gif); }
};

// Passes over the extension blocks up to the first image's descriptor.
bool findFirstImage(GifFileType* gif) {
  GraphicsControlBlock control{};
  bool hasControl = false;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) == GIF_OK;
    if (type != EXTENSION_RECORD_TYPE || !readExtension(gif, control, hasControl)) return false;
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

// The animation.

struct GifAnimation::State {
  std::string name;
  GifFileType* gif = nullptr;
  int32_t width = 0, height = 0;
  std::vector<uint16_t> delays;  // one a frame
  int32_t nextFrame = 0;
  std::vector<uint8_t> canvas;  // blue, green, red; top row first
  std::vector<uint8_t> saved;   // the canvas before a frame that is disposed to it
  uint8_t background[3] = {0, 0, 0};
  GifImageDesc lastArea{};
  int lastDisposal = DISPOSAL_UNSPECIFIED;
  bool damaged = false;

  ~State() { closeGif(gif); }

  // Back to before the first frame, the canvas all background.
  bool restart() {
    closeGif(gif);
    int error = 0;
    gif = DGifOpenFileName(name.c_str(), &error);
    if (!gif || gif->SWidth != width || gif->SHeight != height) return false;
    const ColorMapObject* map = gif->SColorMap;
    if (map && gif->SBackGroundColor < map->ColorCount) {
      const GifColorType& c = map->Colors[gif->SBackGroundColor];
      background[0] = c.Blue, background[1] = c.Green, background[2] = c.Red;
    }
    for (size_t i = 0; i < canvas.size(); i += 3) std::copy_n(background, 3, canvas.data() + i);
    lastDisposal = DISPOSAL_UNSPECIFIED;
    nextFrame = 0;
    damaged = false;
    return true;
  }

  void fillArea(const GifImageDesc& area, const uint8_t* colour) {
    for (int32_t y = std::max(area.Top, 0); y < std::min(area.Top + area.Height, height); ++y)
      for (int32_t x = std::max(area.Left, 0); x < std::min(area.Left + area.Width, width); ++x)
        std::copy_n(colour, 3, canvas.data() + 3 * (static_cast<size_t>(y) * width + x));
  }

  bool drawFrame(const GraphicsControlBlock& control) {
    const GifImageDesc& area = gif->Image;
    const ColorMapObject* map = area.ColorMap ? area.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(std::max(area.Width, 1));
    for (int32_t i = 0; i < area.Height; ++i) {
      if (DGifGetLine(gif, line.data(), area.Width) == GIF_ERROR) return false;
      const int32_t y = area.Top + frameRow(i, area.Height, area.Interlace);
      if (y >= height) continue;
      for (int32_t x = 0; x < area.Width && area.Left + x < width; ++x) {
        const int index = line[x];
        if (index == control.TransparentColor) continue;
        uint8_t* p = canvas.data() + 3 * (static_cast<size_t>(y) * width + area.Left + x);
        if (map && index < map->ColorCount) p[0] = map->Colors[index].Blue, p[1] = map->Colors[index].Green,
                                             p[2] = map->Colors[index].Red;
        else p[0] = p[1] = p[2] = static_cast<uint8_t>(index);
      }
    }
    return true;
  }

  // Undoes the last frame as its disposal asks, reads up to the next image
  // and draws it.
  bool advance() {
    if (lastDisposal == DISPOSE_BACKGROUND) fillArea(lastArea, background);
    else if (lastDisposal == DISPOSE_PREVIOUS && saved.size() == canvas.size()) canvas = saved;
    GraphicsControlBlock control = noControl();
    bool hasControl = false;
    for (;;) {
      GifRecordType type;
      if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
      if (type == EXTENSION_RECORD_TYPE) {
        if (!readExtension(gif, control, hasControl)) return false;
        continue;
      }
      if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) == GIF_ERROR) return false;
      break;
    }
    if (control.DisposalMode == DISPOSE_PREVIOUS) saved = canvas;
    if (!drawFrame(control)) return false;
    lastArea = gif->Image;
    lastDisposal = control.DisposalMode;
    ++nextFrame;
    return true;
  }
};

GifAnimation::GifAnimation(std::unique_ptr<State> state) : state_(std::move(state)) {}
GifAnimation::~GifAnimation() = default;
int32_t GifAnimation::width() const { return state_->width; }
int32_t GifAnimation::height() const { return state_->height; }
int32_t GifAnimation::frames() const { return static_cast<int32_t>(state_->delays.size()); }
int32_t GifAnimation::delay(int32_t i) const { return state_->delays[static_cast<size_t>(i)]; }
const uint8_t* GifAnimation::canvas() const { return state_->canvas.data(); }

std::unique_ptr<GifAnimation> GifAnimation::open(const char* name) {
  if (!name) return nullptr;
  auto state = std::make_unique<State>();
  state->name = name;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(name, &error);
  if (!gif) return nullptr;
  state->gif = gif;
  if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > kStillMaxSide || gif->SHeight > kStillMaxSide)
    return nullptr;
  state->width = gif->SWidth;
  state->height = gif->SHeight;
  // Count the frames up to the end or to the first damage; a graphics
  // control block belongs to the image after it.
  GraphicsControlBlock control = noControl();
  bool hasControl = false;
  for (bool more = true; more && state->delays.size() < static_cast<size_t>(kGifMaxFrames);) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) break;
    if (type == EXTENSION_RECORD_TYPE) {
      more = readExtension(gif, control, hasControl);
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      more = DGifGetImageDesc(gif) == GIF_OK && skipImageData(gif);
      if (more) state->delays.push_back(static_cast<uint16_t>(hasControl ? control.DelayTime : 0));
      control = noControl();
      hasControl = false;
    } else {
      more = false;
    }
  }
  if (state->delays.empty()) return nullptr;
  state->canvas.resize(static_cast<size_t>(state->width) * state->height * 3);
  if (!state->restart()) return nullptr;
  return std::unique_ptr<GifAnimation>(new GifAnimation(std::move(state)));
}

bool GifAnimation::compose(int32_t i) {
  State& s = *state_;
  if (i < 0 || i >= frames()) return false;
  if ((s.damaged || i < s.nextFrame - 1) && !s.restart()) return false;
  while (s.nextFrame <= i)
    if (!s.advance()) {
      s.damaged = true;  // the file is read from the start next time
      return false;
    }
  return true;
}

TOL_NS_END
