// How the Pleven player turns a decoded 8-bit frame into what the screen
// shows, apart from SDL so that it can be tested: the decoder's line mode
// for the height scale, the colours of the palette, the drawing area the
// switches ask for, where the picture sits in it and at which zoom, and the
// rows of the true-colour texture.
#pragma once

#include <cstdint>

#include "plevplw/options.h"

namespace plevplw {

// The decoder's open option for the height scale (PLEV_OPEN_DOUBLED,
// PLEV_OPEN_INTERLACED, PLEV_OPEN_SINGLE; 0 for the file's own mode).
uint32_t lineModeOption(HeightScale scale);

// The screen colour (0x00RRGGBB) of each palette entry (red, green, blue).
void buildColourTable(const uint8_t* palette, PaletteRemap remap, uint32_t* table);

// The area the picture is drawn into: the window's client area, or the
// screen's drawing area in full screen.
struct DrawingArea {
  int32_t width = 0, height = 0;
  bool fullScreen = false;
};
DrawingArea drawingArea(const PlayOptions& o, int32_t pictureWidth, int32_t pictureHeight);

// The picture in the area: twice its size when the area holds that, else
// its own size, else shrunk to fit with its proportions; centred.
struct Placement {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
Placement placePicture(const DrawingArea& area, int32_t pictureWidth, int32_t pictureHeight);

// The texture's rows: each picture row, and with interlaced-pixel zoom a
// blank row after each. Rows that interlacing leaves out (the odd rows of
// an interlaced frame) are blank too, whatever the palette says of
// colour 0.
struct TextureRows {
  bool blankOddPictureRows = false;
  bool blankRowAfterEach = false;
  int32_t rows(int32_t pictureHeight) const { return blankRowAfterEach ? 2 * pictureHeight : pictureHeight; }
};
TextureRows textureRows(const PlayOptions& o, uint32_t decoderFlags, const Placement& placed, int32_t pictureHeight);

// Writes the picture (width x height indices, rows pitch apart) through the
// colour table into the texture (32-bit pixels, rows texturePitch pixels
// apart).
void expandPicture(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height, const uint32_t* table,
                   const TextureRows& rows, uint32_t* texture, int32_t texturePitch);

}  // namespace plevplw
