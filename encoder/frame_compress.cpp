// The steps of compressing one frame: analysis of every 8x8 block and
// 16x16 area, budget allocation, the choice between coarse and fine coding,
// and the writing of the three planes.
#include "encoder/frame_compress.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "decode/core/bit_writer.h"
#include "decode/core/plane_writer.h"
#include "encoder/allocation.h"
#include "encoder/block_options.h"
#include "encoder/block_pixels.h"
#include "encoder/job.h"
#include "encoder/motion_search.h"
#include "encoder/parallel_rows.h"
#include "encoder/plane_encoder.h"
#include "encoder/work_plan.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

struct FrameWorkspace {
  PlaneWriter writer;
  BitWriter bits;
};

namespace {

struct PlaneInfo {
  const char* analyseText;
  const char* areaText;
  const char* encodeText;
  const uint8_t* src;
  const uint8_t* ref;
  uint8_t* recon;
  uint8_t* out;
  uint32_t width, height;
  PlaneStats* stats;
  BlockChoices* blocks;
  BlockChoices* areas;
};

// Every 8x8 block: motion search (delta frames) and the option list.
void analyseBlocks(const PlaneInfo& p, bool key, uint32_t threads) {
  const uint32_t columns = p.width / 8;
  parallelRows(p.height / 8, threads, [&](uint32_t by) {
    for (uint32_t bx = 0; bx < columns; ++bx) {
      BlockSamples b;
      const uint32_t x = 8 * bx, y = 8 * by;
      loadBlock(p.src, p.width, x, y, b.src);
      b.delta = !key;
      b.motionX = b.motionY = 0;
      if (b.delta) {
        const MotionVector mv = searchMotion(p.src, p.ref, p.width, p.height, x, y);
        b.motionX = mv.x;
        b.motionY = mv.y;
        loadBlock(p.ref, p.width, x, y, b.ref);
        loadBlock(p.ref, p.width, x + mv.x, y + mv.y, b.mc);
      }
      buildBlockOptions(b, p.stats->est, p.blocks[by * columns + bx]);
    }
  });
}

// Every whole 16x16 area: the coarse option list.
void analyseAreas(const PlaneInfo& p, bool key, uint32_t threads) {
  const uint32_t columns = p.width / 16;
  parallelRows(p.height / 16, threads, [&](uint32_t ay) {
    for (uint32_t ax = 0; ax < columns; ++ax) {
      uint8_t src[256], ref[256];
      loadBlock(p.src, p.width, 16 * ax, 16 * ay, src, 16);
      if (!key) loadBlock(p.ref, p.width, 16 * ax, 16 * ay, ref, 16);
      buildAreaOptions(src, key ? nullptr : ref, p.stats->est, p.areas[ay * columns + ax]);
    }
  });
}

FrameWorkspace* workspaceOf(EncoderJob& job) {
  if (!job.workspace) {
    void* mem = tolmalloc(sizeof(FrameWorkspace));
    if (mem) job.workspace = new (mem) FrameWorkspace();
  }
  return job.workspace;
}

}  // namespace

bool compressFrame(EncoderJob& job, uint32_t slot, uint32_t budget, CodedSizes& sizes) {
  FrameWorkspace* ws = workspaceOf(job);
  if (!ws) return false;
  const bool key = job.isKey[slot] != 0;
  const uint32_t r = job.reconSelect;
  PlaneInfo planes[3] = {
      {"Compressing Y plane", "Compressing Y high-plane", "Encoding Y plane", job.slotY[slot], job.reconY[r],
       job.reconY[1 - r], job.outY, job.lumaWidth, job.lumaHeight, &job.lumaStats, nullptr, nullptr},
      {"Compressing Cr plane", "Compressing Cr high-plane", "Encoding Cr plane", job.slotCr[slot], job.reconCr[r],
       job.reconCr[1 - r], job.outCr, job.chromaWidth, job.chromaHeight, &job.crStats, nullptr, nullptr},
      {"Compressing Cb plane", "Compressing Cb high-plane", "Encoding Cb plane", job.slotCb[slot], job.reconCb[r],
       job.reconCb[1 - r], job.outCb, job.chromaWidth, job.chromaHeight, &job.cbStats, nullptr, nullptr},
  };

  // 1. Work areas: the 8x8 records of the three planes, then the 16x16
  // records, in one allocation.
  uint64_t blockCount = 0, areaCount = 0;
  for (const PlaneInfo& p : planes) {
    blockCount += uint64_t{p.width / 8} * (p.height / 8);
    areaCount += uint64_t{p.width / 16} * (p.height / 16);
  }
  BlockChoices* blocks = nullptr;
  BlockChoices* areas = nullptr;
  WorkPlan plan(0);
  plan.add(blocks, blockCount * sizeof(BlockChoices));
  plan.add(areas, std::max<uint64_t>(areaCount, 1) * sizeof(BlockChoices));
  void* work = plan.allocate();
  if (!work) return false;
  {
    BlockChoices* b = blocks;
    BlockChoices* a = areas;
    for (PlaneInfo& p : planes) {
      p.blocks = b;
      p.areas = a;
      b += (p.width / 8) * (p.height / 8);
      a += (p.width / 16) * (p.height / 16);
    }
  }
  const uint32_t threads = defaultThreads(job.analysisThreads);

  // 2, 3. The 8x8 blocks of each plane; 4, 5. the 16x16 areas.
  for (const PlaneInfo& p : planes) {
    reportProgress(job, -1, p.analyseText);
    analyseBlocks(p, key, threads);
  }
  for (const PlaneInfo& p : planes) {
    reportProgress(job, -1, p.areaText);
    analyseAreas(p, key, threads);
  }

  // 6. The budget over all 8x8 blocks of the frame.
  reportProgress(job, -1, "Allocating bandwidth");
  allocateBudget(blocks, static_cast<uint32_t>(blockCount), budget);

  // 7. Coarse or fine per 16x16 area.
  reportProgress(job, -1, "Merging multi-resolution planes");
  PlaneRecords records[3];
  for (int i = 0; i < 3; ++i)
    records[i] = PlaneRecords{planes[i].blocks, planes[i].areas, planes[i].width / 8, planes[i].height / 8};
  mergeAreas(records, budget);

  // 8. The coded planes.
  bool ok = true;
  uint32_t* sizeOf[3] = {&sizes.y, &sizes.cr, &sizes.cb};
  for (int i = 0; i < 3 && ok; ++i) {
    const PlaneInfo& p = planes[i];
    reportProgress(job, -1, p.encodeText);
    CollectionUsage usage[ZURNMAKE_COLLECTIONS] = {};
    ok = encodePlane(PlaneView{p.src, p.ref, p.recon, p.width, p.height}, p.blocks, ws->writer, ws->bits, usage);
    const size_t bytes = ws->bits.byteCount();
    if (!ok || bytes > codedPlaneCapacity(p.width, p.height)) {
      ok = false;
      break;
    }
    std::memcpy(p.out, ws->bits.data(), bytes);
    *sizeOf[i] = static_cast<uint32_t>(bytes);
    recordPlaneUsage(*p.stats, usage);
  }

  // 9. The new picture becomes the reference.
  tolfree(work);
  if (!ok) return false;
  job.reconSelect = 1 - r;
  return true;
}

void releaseFrameWorkspace(EncoderJob& job) {
  if (!job.workspace) return;
  job.workspace->~FrameWorkspace();
  tolfree(job.workspace);
  job.workspace = nullptr;
}

TOL_NS_END
