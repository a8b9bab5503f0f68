// TIFF through libtiff. Every layout the library can turn into RGBA is read
// that way. One-sample palette and grey files of 8 bits or fewer come as
// indices: their colours are taken from the file, and the library is handed
// a table whose red is the index, so the index comes back as red. Extra
// samples are taken as associated alpha so that the colours stay as stored,
// and the alpha is dropped. Written as 8-bit palette
// or 8-bit RGB files, Deflate coded where the library has it.
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/still_codecs.h"

TOL_NS_BEGIN

namespace {

int quietMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* openQuietly(const char* name, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, quietMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, quietMessage, nullptr);
  TIFF* tif = TIFFOpenExt(name, mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

struct TiffFile {
  TIFF* tif;
  explicit TiffFile(const char* name) : tif(openQuietly(name, "r")) {}
  ~TiffFile() {
    if (tif) TIFFClose(tif);
  }
};

uint32_t field32(TIFF* tif, ttag_t tag) {
  uint32_t v = 0;
  TIFFGetFieldDefaulted(tif, tag, &v);
  return v;
}
uint16_t field16(TIFF* tif, ttag_t tag) {
  uint16_t v = 0;
  TIFFGetFieldDefaulted(tif, tag, &v);
  return v;
}

// 8-bit colours of a palette file: tables whose entries all fit 8 bits (as
// some writers make them) are taken as they are, others scaled down by
// 255 / 65535, as the library itself does when it makes RGB of them.
bool paletteColours(TIFF* tif, int32_t bits, StillImage& image) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) return false;
  const int32_t count = 1 << bits;
  bool eightBit = true;
  for (int32_t i = 0; i < count; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
  auto convert = [eightBit](uint16_t v) { return static_cast<uint8_t>(eightBit ? v : v * 255 / 65535); };
  stillClearColours(image);
  for (int32_t i = 0; i < count; ++i) {
    image.colours[i][0] = convert(blue[i]);
    image.colours[i][1] = convert(green[i]);
    image.colours[i][2] = convert(red[i]);
  }
  image.coloursUsed = count;
  return true;
}

void greyColours(int32_t bits, bool whiteIsZero, StillImage& image) {
  stillGreyColours(image, bits);
  if (whiteIsZero) std::reverse(image.colours, image.colours + image.coloursUsed);
}

// Makes the library's RGBA picture carry each pixel's index as its red.
void indicesAsRed(TIFF* tif, int32_t bits) {
  std::vector<uint16_t> red(size_t(1) << bits), zero(red.size(), 0);
  for (size_t i = 0; i < red.size(); ++i) red[i] = static_cast<uint16_t>(i * 257);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
  TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), zero.data(), zero.data());
}

// The RGBA picture (top row first) into the image: indices from red, or
// blue, green, red.
void storeRaster(const std::vector<uint32_t>& raster, bool indexed, StillImage& image) {
  for (int32_t y = 0; y < image.height; ++y) {
    const uint32_t* src = raster.data() + static_cast<size_t>(y) * image.width;
    uint8_t* dst = stillRow(image, y);
    for (int32_t x = 0; x < image.width; ++x) {
      if (indexed) {
        dst[x] = static_cast<uint8_t>(TIFFGetR(src[x]));
      } else {
        dst[3 * x] = static_cast<uint8_t>(TIFFGetB(src[x]));
        dst[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(src[x]));
        dst[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(src[x]));
      }
    }
  }
}

bool writeRows(TIFF* tif, const StillImage& image) {
  const bool indexed = image.bits == 8;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, indexed ? 1 : 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, indexed ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION,
               TIFFIsCODECConfigured(COMPRESSION_ADOBE_DEFLATE) ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (indexed) {
    std::vector<uint16_t> map(3 * 256);
    for (int i = 0; i < 256; ++i)
      for (int c = 0; c < 3; ++c) map[c * 256 + i] = static_cast<uint16_t>(image.colours[i][2 - c] * 257);
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
  }
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * (indexed ? 1 : 3));
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* src = stillRow(image, y);
    if (indexed) std::copy(src, src + image.width, row.begin());
    else
      for (int32_t x = 0; x < image.width; ++x)
        row[3 * x] = src[3 * x + 2], row[3 * x + 1] = src[3 * x + 1], row[3 * x + 2] = src[3 * x];
    if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) != 1) return false;
  }
  return true;
}

}  // namespace

bool tiffInfo(const char* name, StillInfo& info) {
  TiffFile f(name);
  if (!f.tif) return false;
  const uint32_t width = field32(f.tif, TIFFTAG_IMAGEWIDTH), height = field32(f.tif, TIFFTAG_IMAGELENGTH);
  info.width = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
  info.height = static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX));
  info.bitsPerPixel = field16(f.tif, TIFFTAG_BITSPERSAMPLE) * field16(f.tif, TIFFTAG_SAMPLESPERPIXEL);
  info.compression = field16(f.tif, TIFFTAG_COMPRESSION);
  return true;
}

bool tiffLoad(const char* name, StillImage& image) {
  TiffFile f(name);
  if (!f.tif) return false;
  const uint32_t width = field32(f.tif, TIFFTAG_IMAGEWIDTH), height = field32(f.tif, TIFFTAG_IMAGELENGTH);
  const int32_t bits = field16(f.tif, TIFFTAG_BITSPERSAMPLE);
  const uint16_t samples = field16(f.tif, TIFFTAG_SAMPLESPERPIXEL);
  const uint16_t photometric = field16(f.tif, TIFFTAG_PHOTOMETRIC);
  const bool indexed = samples == 1 && bits >= 1 && bits <= 8 &&
                       (photometric == PHOTOMETRIC_PALETTE || photometric == PHOTOMETRIC_MINISBLACK ||
                        photometric == PHOTOMETRIC_MINISWHITE);
  if (width > INT32_MAX || height > INT32_MAX ||
      !stillBufferFits(image, static_cast<int32_t>(width), static_cast<int32_t>(height), indexed))
    return false;
  if (photometric == PHOTOMETRIC_PALETTE && indexed) {
    if (!paletteColours(f.tif, bits, image)) return false;
  } else if (indexed) {
    greyColours(bits, photometric == PHOTOMETRIC_MINISWHITE, image);
  } else {
    stillClearColours(image);
  }
  if (indexed) indicesAsRed(f.tif, bits);
  uint16_t extras = 0;
  uint16_t* kinds = nullptr;
  if (TIFFGetField(f.tif, TIFFTAG_EXTRASAMPLES, &extras, &kinds) && extras > 0) {
    std::vector<uint16_t> associated(extras, EXTRASAMPLE_ASSOCALPHA);
    TIFFSetField(f.tif, TIFFTAG_EXTRASAMPLES, extras, associated.data());
  }
  std::vector<uint32_t> raster;
  try {
    raster.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!TIFFReadRGBAImageOriented(f.tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 1)) return false;
  storeRaster(raster, indexed, image);
  if (indexed) stillFinishIndexed(image);
  return true;
}

bool tiffSave(const char* name, const StillImage& image) {
  TIFF* tif = openQuietly(name, "w");
  if (!tif) return false;
  const bool written = writeRows(tif, image) && TIFFFlush(tif) == 1;
  TIFFClose(tif);
  if (!written) std::remove(name);
  return written;
}

TOL_NS_END
