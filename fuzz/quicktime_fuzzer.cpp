// Arbitrary bytes read as a QuickTime movie: the readers stay inside the
// bytes and their buffers, and what they report is consistent.
#include <cstdint>
#include <cstdlib>

#include "media/movie_source.h"
#include "media/quicktime_frames.h"
#include "media/quicktime_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (tol::QTFrameReader* q = tol::openFrameReader(tol::movieInMemory(data, size))) {
    if (q->frameCount < 1 || q->width < 1 || q->height < 1 || q->pitch < q->width * q->bitsPerPixel / 8 ||
        q->rateDen < 1)
      std::abort();
    const int frames = q->frameCount < 16 ? q->frameCount : 16;
    for (int f = 0; f < frames; ++f) tol::QTFileGet(q);
    tol::QTFileGoto(q, q->frameCount - 1);
    tol::QTFileGet(q);
    tol::QTFileClose(q);
  }
  for (int32_t track = 0; track < 3; ++track) {
    tol::QTSoundReader* s = tol::openSoundReader(tol::movieInMemory(data, size), track);
    if (!s) continue;
    if ((s->bits != 8 && s->bits != 16) || s->channels < 1 || s->channels > 2 ||
        s->totalBytes % uint32_t(s->bytesPerSampleFrame) != 0)
      std::abort();
    uint8_t buffer[4099];
    uint64_t total = 0;
    for (int i = 0; i < 256; ++i) {
      const uint32_t n = tol::QTSFileGet(s, buffer, sizeof buffer);
      if (n > sizeof buffer) std::abort();
      if (n == 16 && total >= s->totalBytes) break;
      total += n;
    }
    tol::QTSFileGoto(s, 1000);
    tol::QTSFileGet(s, buffer, 5);
    tol::QTSFileClose(s);
  }
  return 0;
}
