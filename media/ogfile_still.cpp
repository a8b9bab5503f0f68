// Output files: a numbered series of still images, one file a frame.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "media/ogfile.h"
#include "util/filechecks.h"
#include "util/paths.h"

TOL_NS_BEGIN
namespace ogfile {
namespace {

StillFormat formatOf(int32_t kind) {
  switch (kind) {
    case OGFILE_KIND_BMP: return StillFormat::Bmp;
    case OGFILE_KIND_JPEG: return StillFormat::Jpeg;
    case OGFILE_KIND_TGA: return StillFormat::Tga;
    case OGFILE_KIND_TIFF: return StillFormat::Tif;
    case OGFILE_KIND_PCX: return StillFormat::Pcx;
    case OGFILE_KIND_GIF: return StillFormat::Gif;
    default: return StillFormat::Png;
  }
}

// printf-safe: every '%' doubled.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

bool sameIgnoringCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The name cut at the first copy of its extension within the file name
// ("pic.bmp" and "pic.bmp.bmp" give "pic"), a number field wide enough for
// frameCount frames (none below 2), then the extension.
std::string namePattern(const char* name, int32_t frameCount) {
  const std::string full = name;
  const char* dotAt = HasExtension(name);
  const std::string ext = dotAt ? dotAt : "";
  const size_t slash = full.rfind('/');
  const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  size_t cut = full.size();
  for (size_t i = fileStart; !ext.empty() && i + ext.size() <= full.size(); ++i)
    if (sameIgnoringCase(full.c_str() + i, ext.c_str(), ext.size())) {
      cut = i;
      break;
    }
  const char* field = frameCount >= 10000 ? "%05i"
                      : frameCount >= 1000 ? "%04i"
                      : frameCount >= 100  ? "%03i"
                      : frameCount >= 10   ? "%02i"
                      : frameCount >= 2    ? "%01i"
                                           : "";
  return escaped(full.substr(0, cut)) + field + escaped(ext);
}

std::string numberedName(const std::string& pattern, int32_t number) {
  const int n = std::snprintf(nullptr, 0, pattern.c_str(), number);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  std::snprintf(out.data(), out.size() + 1, pattern.c_str(), number);
  return out;
}

const char* withoutFolder(const std::string& name) {
  const size_t slash = name.rfind('/');
  return name.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

void copyField(char* field, size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

}  // namespace

bool stillCreate(OGFile& og, const char* name, uint32_t flags) {
  OGFileWork& w = *og.work;
  if (og.kind == OGFILE_KIND_TGA) og.bitsPerPixel = 24;
  StillImage& image = w.still;
  image.width = og.width;
  image.height = og.height;
  image.bits = og.bitsPerPixel;
  image.pitch = (og.width * og.bitsPerPixel / 8 + 3) & ~3;
  try {
    w.stillPixels.assign(size_t(image.pitch) * size_t(og.height), 0);
  } catch (const std::bad_alloc&) {
    message(og, kOutOfMemory);
    return false;
  }
  image.pixels = w.stillPixels.data();
  w.target = namePattern(name, og.frameCount);
  copyField(og.namePattern, sizeof og.namePattern, w.target.c_str());
  return mayReplace(og, numberedName(w.target, 0).c_str(), flags);
}

void stillPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette) {
  OGFileWork& w = *og.work;
  StillImage& image = w.still;
  const std::string name = numberedName(w.target, og.framesWritten++);
  // Rows bottom-up, as the still-image writers take them.
  for (int32_t y = 0; y < og.height; ++y)
    rowToDib(og, inputRow(og, pixels, y), palette, image.bits,
             image.pixels + size_t(image.pitch) * size_t(og.height - 1 - y));
  if (image.bits == 8) {
    paletteToColours(palette, &image.colours[0][0]);
    image.coloursUsed = 256;
  }
  const std::string temp = temporaryName(name);
  if (temp.empty() || !stillImageSave(formatOf(og.kind), temp.c_str(), image, kStillJpegQuality) ||
      !commitTemporary(temp, name))
    og.error = 1;
  else
    og.bytesWritten += tolfilesize(name.c_str());

  const char* shortName = withoutFolder(name);
  if (og.framesWritten == 1) {
    copyField(og.firstName, sizeof og.firstName, shortName);
    copyField(og.summary, sizeof og.summary, shortName);
  } else {
    std::snprintf(og.summary, sizeof og.summary, "%s to %s", og.firstName, shortName);
  }
}

}  // namespace ogfile
TOL_NS_END
