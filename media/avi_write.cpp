// Writing AVI files (in progress: creation is not available yet).
#include "media/avi_internal.h"

TOL_NS_BEGIN
namespace avi {
struct Writer {};
struct Compressor {};
}  // namespace avi

AVIFile::AVIFile() = default;
AVIFile::~AVIFile() = default;
AVIStream::AVIStream(AVIFile* owner, AVIStream* into) : file(owner), target(into) {}
AVIStream::~AVIStream() = default;

AVIFile* AVIFileCreate(const char*, uint32_t) { return nullptr; }
AVIStream* AVIFileCreateStream(AVIFile*, const AVIStreamInfo*) { return nullptr; }
int32_t AVIStreamSetFormat(AVIStream*, int32_t, const void*, int32_t) { return kAVIErrReadOnly; }
int32_t AVIStreamWrite(AVIStream*, int32_t, int32_t, const void*, int32_t, uint32_t, int32_t*, int32_t*) {
  return kAVIErrReadOnly;
}
AVIStream* AVIMakeCompressedStream(AVIStream*, const AVICompressOptions*) { return nullptr; }

TOL_NS_END
