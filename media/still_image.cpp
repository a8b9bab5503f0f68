// The still-image calls: each format's reader or writer chosen by its code.
#include <string>

#include "media/still_codecs.h"

TOL_NS_BEGIN

namespace {

// Enough for any header our own readers look at.
constexpr size_t kHeaderBytes = 8192;
// More than the largest picture of kStillMaxSide squared can take, even run-
// length coded at its worst; anything beyond is not read.
constexpr size_t kLargestFile = size_t(160) << 20;

using InfoInMemory = bool (*)(StillBytes, StillInfo&);
using LoadInMemory = bool (*)(StillBytes, StillImage&);
using SaveInMemory = bool (*)(const StillImage&, std::vector<uint8_t>&);

bool infoFromFile(InfoInMemory parse, const char* name, StillInfo& info) {
  std::vector<uint8_t> bytes;
  return readFileStart(name, kHeaderBytes, bytes) && parse(StillBytes{bytes.data(), bytes.size()}, info);
}

bool loadFromFile(LoadInMemory load, const char* name, StillImage& image) {
  std::vector<uint8_t> bytes;
  return readFileStart(name, kLargestFile, bytes) && load(StillBytes{bytes.data(), bytes.size()}, image);
}

bool saveToFile(SaveInMemory save, const char* name, const StillImage& image) {
  std::vector<uint8_t> bytes;
  return save(image, bytes) && writeWholeFile(name, bytes);
}

// Formats read whole by their loader: the information call and the loader
// each read the file.
class NamedStillFile final : public StillFile {
 public:
  NamedStillFile(StillFormat format, const char* name, const StillInfo& info) : format_(format), name_(name) {
    info_ = info;
  }
  bool load(StillImage& image) override { return stillImageLoad(format_, name_.c_str(), image); }

 private:
  StillFormat format_;
  std::string name_;
};

}  // namespace

std::unique_ptr<StillFile> StillFile::open(StillFormat format, const char* name) {
  if (!name) return nullptr;
  if (format == StillFormat::Png) return pngOpen(name);
  if (format == StillFormat::Jpeg) return jpegOpen(name);
  StillInfo info{};
  if (!stillImageInfo(format, name, info)) return nullptr;
  return std::make_unique<NamedStillFile>(format, name, info);
}

bool stillImageInfo(StillFormat format, const char* name, StillInfo& info) {
  info = StillInfo{};
  if (!name) return false;
  switch (format) {
    case StillFormat::Bmp: return infoFromFile(bmpInfo, name, info);
    case StillFormat::Pcx: return infoFromFile(pcxInfo, name, info);
    case StillFormat::Tga: return infoFromFile(tgaInfo, name, info);
    case StillFormat::Png: return pngInfo(name, info);
    case StillFormat::Jpeg: return jpegInfo(name, info);
    case StillFormat::Tif: return tiffInfo(name, info);
    case StillFormat::Gif: return gifInfo(name, info);
  }
  return false;
}

bool stillImageLoad(StillFormat format, const char* name, StillImage& image) {
  if (!name || !stillImageValid(image)) return false;
  switch (format) {
    case StillFormat::Bmp: return loadFromFile(bmpLoad, name, image);
    case StillFormat::Pcx: return loadFromFile(pcxLoad, name, image);
    case StillFormat::Tga: return loadFromFile(tgaLoad, name, image);
    case StillFormat::Png: return pngLoad(name, image);
    case StillFormat::Jpeg: return jpegLoad(name, image);
    case StillFormat::Tif: return tiffLoad(name, image);
    case StillFormat::Gif: return gifLoad(name, image);
  }
  return false;
}

bool stillImageSave(StillFormat format, const char* name, const StillImage& image, int32_t jpegQuality) {
  if (!name || !stillImageValid(image)) return false;
  switch (format) {
    case StillFormat::Bmp: return saveToFile(bmpSave, name, image);
    case StillFormat::Pcx: return saveToFile(pcxSave, name, image);
    case StillFormat::Tga: return saveToFile(tgaSave, name, image);
    case StillFormat::Png: return pngSave(name, image);
    case StillFormat::Jpeg: return jpegSave(name, image, jpegQuality);
    case StillFormat::Tif: return tiffSave(name, image);
    case StillFormat::Gif: return gifSave(name, image);
  }
  return false;
}

TOL_NS_END
