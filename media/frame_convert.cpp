// Turning the frame just read into the delivered frame: 32-bit true colour,
// or 8-bit indices through a remap table (palettised sources) or a colour
// cache (true-colour sources), placed by the placement rectangle. Palettes
// are remade here when the palette analysis asks for it.
#include <cstdlib>
#include <cstring>

#include "media/frame_pixels.h"
#include "media/gfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kCacheEntries = 262144;

template <typename T>
T* allocZeroed(size_t count) {
  T* p = static_cast<T*>(tolmalloc(static_cast<uint32_t>(count * sizeof(T))));
  if (p) std::memset(p, 0, count * sizeof(T));
  return p;
}

// The frame to copy, starting at the first pixel of the copy rectangle.
PixelRows copySource(const GFileState& g) {
  if (g.working24) return PixelRows{g.working, g.workingPitch, 24, 0};
  const SourceFrame& f = g.frame;
  return PixelRows{f.pixels + static_cast<ptrdiff_t>(g.place.sourceY) * f.pitch, f.pitch, f.bits, g.place.sourceX};
}

bool analysisWanted(const GFileState& g) {
  return g.paletteFile[0] != 0 || g.pal.mode != 0 || g.bitsPerPixel > 8 || g.pal.interval < 32000;
}

GFileState* openAnalysisReader(GFileState& g) {
  const uint32_t flags = static_cast<uint32_t>(g.trueColor);
  const PaletteParams& p = g.pal;
  if (g.paletteFile[0])
    return GFileOpen(g.paletteFile, flags, g.argInNum, g.argInDen, g.argOutNum, g.argOutDen, 0, 0, 0, 0, 0, 0,
                     p.mode, p.interval, p.openFirst, p.openCount, p.overlap, p.systemColours, 2, nullptr,
                     "Analyzing colors in", g.callback);
  return GFileOpen(g.name, flags, g.argInNum, g.argInDen, g.argOutNum, g.argOutDen, g.argX > 0 ? g.argX : 0,
                   g.argY > 0 ? g.argY : 0, g.width, g.height, g.firstIndex + 1, g.firstIndex + g.frameCount, p.mode,
                   p.interval, p.openFirst, p.openCount, p.overlap, p.systemColours, g.mode24, nullptr,
                   "Analyzing colors in", g.callback);
}

// Makes the next palette. False when the analysis reader cannot be opened;
// changed tells whether the computed entries differ from before.
bool makePalette(GFileState& g, bool& changed) {
  PaletteParams& p = g.pal;
  if (!g.paletteValid) {
    std::memcpy(g.palette, g.sourcePalette, 768);
  } else {
    std::memcpy(g.palette, g.sourcePalette, static_cast<size_t>(p.openFirst) * 3);
    size_t end = static_cast<size_t>(p.openFirst + p.openCount) * 3;
    std::memcpy(g.palette + end, g.sourcePalette + end, 768 - end);
  }
  if (p.systemColours == 1) writeStaticColours(g.palette);
  g.paletteValid = true;
  if (!g.analysis) {
    g.analysis = openAnalysisReader(g);
    if (!g.analysis) {
      sendMessage(g, "Error opening palette graphics file.", TOL_MESSAGE_ERROR);
      return false;
    }
  }
  if (p.overlap > 0) {
    p.first = p.openFirst + (g.bankToggle ? p.overlap : 0);
    p.count = p.openCount - p.overlap;
    g.analysis->pal.first = p.first;
    g.analysis->pal.count = p.count;
    g.bankToggle = !g.bankToggle;
  }
  uint8_t before[768];
  std::memcpy(before, g.palette, 768);
  const Placement& pl = g.place;
  int32_t n = GFileBestPalette(*g.analysis, g.palette, g.frameBuffer, g.width, g.height, g.pitch, pl.outX, pl.outY,
                               pl.rightExcess, pl.bottomExcess);
  g.paletteCountdown = n - 1;
  if (n == 0 || n - 1 > 32767) {
    GFileClose(g.analysis);
    g.analysis = nullptr;
    g.paletteFinal = true;
  }
  changed = std::memcmp(before + p.first * 3, g.palette + p.first * 3, static_cast<size_t>(p.count) * 3) != 0;
  return true;
}

void buildRemap(GFileState& g) {
  if (g.pal.systemColours == 1) writeStaticColours(g.palette);
  const int32_t first = g.pal.first, count = g.pal.count, end = first + count;
  for (int32_t i = 0; i < 256; ++i) {
    const uint8_t* c = g.sourcePalette + i * 3;
    int32_t e = i >= first && i < end ? i : first;
    uint32_t best = 0x0FFFFFFF;
    int32_t bestIndex = e;
    for (int32_t step = 0; step < count; ++step) {
      const uint8_t* o = g.palette + e * 3;
      int32_t dr = c[0] - o[0], dg = c[1] - o[1], db = c[2] - o[2];
      uint32_t d = static_cast<uint32_t>(std::abs(i - e)) + 256u * static_cast<uint32_t>(dr * dr + dg * dg + db * db);
      if (d < best) {
        best = d;
        bestIndex = e;
        if (d == 0) break;
      }
      if (++e == end) e = first;
    }
    g.remap[i] = static_cast<uint8_t>(bestIndex);
  }
}

void copyPalettised(GFileState& g, bool newPalette) {
  const PixelRows src = copySource(g);
  uint8_t* out = g.frameBuffer + static_cast<ptrdiff_t>(g.place.outY) * g.pitch + g.place.outX;
  const int32_t w = g.place.copyWidth, h = g.place.copyHeight;
  if (src.bits <= 8) {
    if (newPalette || !g.remap) {
      tolfree(g.colourCache);
      g.colourCache = nullptr;
      if (!g.remap) g.remap = allocZeroed<uint8_t>(256);
      if (!g.remap) return;
      buildRemap(g);
    }
    indexRows(src, g.remap, out, g.pitch, w, h);
    return;
  }
  tolfree(g.remap);
  g.remap = nullptr;
  if (!g.colourCache) {
    g.colourCache = allocZeroed<uint16_t>(kCacheEntries);
    if (!g.colourCache) return;
  } else if (newPalette) {
    std::memset(g.colourCache, 0, kCacheEntries * sizeof(uint16_t));
  }
  ColourMatcher matcher{g.colourCache, g.palette, g.pal.first, g.pal.count, squareTable()};
  matchRows(src, matcher, out, g.pitch, w, h);
}

}  // namespace

bool ensureFrameBuffer(GFileState& g) {
  if (g.frameBuffer) return true;
  if (g.trueColor) g.pitch *= 4;
  size_t size = static_cast<size_t>(g.pitch) * ((g.height + 3) & ~3);
  g.frameBuffer = allocZeroed<uint8_t>(size ? size : 1);
  return g.frameBuffer != nullptr;
}

FrameTarget directTarget(const GFileState& g, int32_t sourceWidth, int32_t sourceHeight) {
  const Placement& p = g.place;
  const bool whole = p.sourceX == 0 && p.sourceY == 0 && p.outX == 0 && p.outY == 0 && p.copyWidth == g.width &&
                     p.copyHeight == g.height && sourceWidth == g.width && sourceHeight == g.height;
  if (!g.trueColor || !g.frameBuffer || g.working24 || !whole) return FrameTarget{};
  return FrameTarget{g.frameBuffer, g.pitch};
}

bool convertFrame(GFileState& g) {
  squareTable();
  if (g.frame.inOutput) {
    ensureFrameBuffer(g);
    return true;
  }
  if (g.trueColor) {
    if (!ensureFrameBuffer(g)) return true;
    uint8_t* out = g.frameBuffer + static_cast<ptrdiff_t>(g.place.outY) * g.pitch + g.place.outX * 4;
    trueColourRows(copySource(g), g.sourcePalette, out, g.pitch, g.place.copyWidth, g.place.copyHeight);
    return true;
  }
  bool newPalette = g.frameNewPalette;
  if (analysisWanted(g)) {
    if (!g.paletteFinal && g.paletteCountdown-- == 0) {
      bool changed = false;
      if (!makePalette(g, changed)) return false;
      newPalette = newPalette || changed;
    }
    if (!ensureFrameBuffer(g)) return true;
    copyPalettised(g, newPalette);
    return true;
  }
  if (!ensureFrameBuffer(g)) return true;
  std::memcpy(g.palette, g.sourcePalette, 768);
  if (g.pal.systemColours == 1 || g.pal.first != 0 || g.pal.count != 256 || g.frame.bits > 8) {
    copyPalettised(g, newPalette);
    return true;
  }
  indexRows(copySource(g), nullptr, g.frameBuffer + static_cast<ptrdiff_t>(g.place.outY) * g.pitch + g.place.outX,
            g.pitch, g.place.copyWidth, g.place.copyHeight);
  return true;
}

TOL_NS_END
