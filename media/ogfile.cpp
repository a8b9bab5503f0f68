// Output files: the kind chosen by the extension, the checks every kind
// shares, and the calls that hand each frame, sound block and the close to
// the kind's writer.
#include "media/ogfile.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "fileio/tolfile.h"
#include "platform/alloc.h"
#include "util/filechecks.h"
#include "util/paths.h"

TOL_NS_BEGIN

namespace ogfile {
namespace {

constexpr int32_t kMaxSide = 16384;

std::string upperExtension(const char* name) {
  const char* dot = HasExtension(name);
  std::string ext = dot ? dot : "";
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

// The kind for an upper-case extension, or -1 when it cannot take the input.
int32_t kindOf(const std::string& ext, int32_t trueColor) {
  if (!trueColor && (ext.empty() || ext == ".FLC")) return OGFILE_KIND_FLIC;
  if (ext == ".AVI") return OGFILE_KIND_AVI;
  if (ext == ".BMP") return OGFILE_KIND_BMP;
  if (ext == ".JPG") return OGFILE_KIND_JPEG;
  if (ext == ".PNG") return OGFILE_KIND_PNG;
  if (ext == ".TGA") return OGFILE_KIND_TGA;
  if (ext == ".TIF") return OGFILE_KIND_TIFF;
  if (!trueColor && ext == ".PCX") return OGFILE_KIND_PCX;
  if (!trueColor && ext == ".GIF") return OGFILE_KIND_GIF;
  return -1;
}

void freeRecord(OGFile* og) {
  delete og->work;
  std::memset(og, 0, sizeof *og);
  tolfree(og);
}

}  // namespace

bool mayReplace(const OGFile& og, const char* name, uint32_t flags) {
  if ((flags & OGFILE_REPLACE) || overwrite(name, static_cast<int32_t>(flags & OGFILE_QUIET))) return true;
  message(og, nullptr, TOL_MESSAGE_REFUSED);
  return false;
}

std::string temporaryName(const std::string& target) {
  std::string temp = target + ".tmp";
  return temp.size() < OGFILE_NAME_SIZE ? temp : std::string();
}

bool commitTemporary(const std::string& temp, const std::string& target) {
  // rename replaces the target in one step, so a reader sees the old file or
  // the new one, never neither.
  if (std::rename(temp.c_str(), target.c_str()) == 0) return true;
  TOLFileErase(temp.c_str());
  return false;
}

void rowToDib(const OGFile& og, const uint8_t* in, const uint8_t* palette, int32_t bits, uint8_t* out) {
  const int32_t w = og.width;
  if (og.trueColor) {
    for (int32_t x = 0; x < w; ++x, in += 4, out += 3) out[0] = in[0], out[1] = in[1], out[2] = in[2];
  } else if (bits == 24) {
    for (int32_t x = 0; x < w; ++x, out += 3) {
      const uint8_t* rgb = palette + 3 * in[x];
      out[0] = rgb[2], out[1] = rgb[1], out[2] = rgb[0];
    }
  } else {
    std::memcpy(out, in, static_cast<size_t>(w));
  }
}

void paletteToColours(const uint8_t* palette, uint8_t* colours) {
  for (int i = 0; i < 256; ++i, palette += 3, colours += 4)
    colours[0] = palette[2], colours[1] = palette[1], colours[2] = palette[0], colours[3] = 0;
}

}  // namespace ogfile

using namespace ogfile;

OGFile* OGFileCreate(void* /*parentWindow*/, const char* name, int32_t trueColor, int32_t frameCount,
                     int32_t rateNum, int32_t rateDen, int32_t width, int32_t height, int32_t inputPitch,
                     TOLMediaCallback callback, uint32_t flags) {
  if (!name) name = "";
  auto* og = static_cast<OGFile*>(tolmalloc(sizeof(OGFile)));
  if (!og) return nullptr;
  std::memset(og, 0, sizeof *og);
  og->work = new (std::nothrow) OGFileWork;
  if (!og->work) {
    tolfree(og);
    return nullptr;
  }
  const std::string ext = upperExtension(name);
  og->trueColor = trueColor ? 1 : 0;
  og->width = width;
  og->height = height;
  og->frameCount = frameCount;
  og->rateNum = rateNum;
  og->rateDen = rateDen;
  og->inputPitch = inputPitch == 0 ? width : inputPitch;
  og->callback = callback;
  og->bitsPerPixel = og->trueColor ? 24 : 8;
  const bool sane = width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && rateNum > 0 &&
                    rateDen > 0 && og->inputPitch >= width;

  og->kind = kindOf(ext, og->trueColor);
  bool made = false;
  if (og->kind < 0) {
    if (!(flags & OGFILE_QUIET)) message(*og, kUnsupported);
  } else if (!sane) {
    message(*og, og->kind == OGFILE_KIND_FLIC  ? kFlicFailed
                 : og->kind == OGFILE_KIND_AVI ? kAviFailed
                                               : kOutOfMemory);
  } else if (og->kind == OGFILE_KIND_FLIC) {
    made = flicCreate(*og, name, flags);
  } else if (og->kind == OGFILE_KIND_AVI) {
    made = aviCreate(*og, name, flags);
  } else {
    made = stillCreate(*og, name, flags);
  }
  if (made) return og;
  freeRecord(og);
  return nullptr;
}

void OGFilePut(OGFile* og, const void* pixels, const uint8_t* palette) {
  if (!og) return;
  // 8-bit frames need their palette everywhere but in a FLIC, which keeps
  // the last one.
  if (!pixels || (!og->trueColor && !palette && og->kind != OGFILE_KIND_FLIC)) {
    og->error = 1;
    return;
  }
  const auto* p = static_cast<const uint8_t*>(pixels);
  if (og->kind == OGFILE_KIND_FLIC)
    flicPut(*og, p, palette);
  else if (og->kind == OGFILE_KIND_AVI)
    aviPut(*og, p, palette);
  else
    stillPut(*og, p, palette);
}

uint32_t OGFilePutSoundAmount(OGFile* og, int32_t rate, int32_t bits, int32_t channels) {
  return og && og->kind == OGFILE_KIND_AVI ? aviSoundAmount(*og, rate, bits, channels) : 0;
}

int32_t OGFilePutSound(OGFile* og, const void* samples, uint32_t bytes) {
  if (!og) return 0;
  return og->kind == OGFILE_KIND_AVI ? aviPutSound(*og, samples, bytes) : og->kind;
}

uint32_t OGFileClose(OGFile* og) {
  if (!og) return 0;
  uint32_t size = og->bytesWritten;
  if (og->kind == OGFILE_KIND_FLIC)
    size = flicClose(*og);
  else if (og->kind == OGFILE_KIND_AVI)
    size = aviClose(*og);
  freeRecord(og);
  return size;
}

TOL_NS_END
