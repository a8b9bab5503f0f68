// Lists and numbered sequences while reading: one entry open at a time,
// each delivering its frames in turn, placed by the list's own rule.
#include <cstdio>
#include <new>

#include "media/gfile_probes.h"

TOL_NS_BEGIN

namespace {

class ListSource final : public FrameSource {
 public:
  explicit ListSource(GFileState& g) : g_(g) {}
  ~ListSource() override { closeEntry(); }

  bool read(int32_t, SourceFrame& frame) override {
    if (g_.entry && g_.entry->atEnd) closeEntry();
    if (!g_.entry && !openNext()) return false;
    GFileState& e = *g_.entry;
    computePlacement(g_, e.inputWidth, e.inputHeight);
    if (!readOutputFrame(e, directTarget(g_, e.inputWidth, e.inputHeight))) return false;
    frame = e.frame;
    frame.palette = e.sourcePalette;
    frame.newPalette = e.frameNewPalette;
    return true;
  }

  void rewind() override {
    closeEntry();
    listEntriesRestart(g_.entries);
    skipped_ = false;
  }

 private:
  void closeEntry() {
    if (g_.entry) GFileClose(g_.entry);
    g_.entry = nullptr;
  }

  bool nextEntry(ListEntry& e) {
    listEntriesNext(g_.entries, e);
    if (e.name[0] == 0) listEntriesNext(g_.entries, e);  // the list starts over
    return e.name[0] != 0;
  }

  GFileState* open(const ListEntry& e, int32_t first) { return openListEntry(g_, e, first); }

  bool openNext() {
    ListEntry e;
    if (!nextEntry(e)) return false;
    g_.entry = open(e, e.first);
    if (!g_.entry) return false;
    if (skipped_) return true;
    // The first selected frame may lie entries ahead, or inside this one.
    skipped_ = true;
    int64_t k = g_.firstIndex;
    while (k > 0 && k >= g_.entry->frameCount) {
      k -= g_.entry->frameCount;
      closeEntry();
      if (!nextEntry(e) || !(g_.entry = open(e, e.first))) return false;
    }
    if (k > 0) {
      int32_t first = (e.first > 0 ? e.first : 1) + static_cast<int32_t>(k);
      closeEntry();
      g_.entry = open(e, first);
    }
    return g_.entry != nullptr;
  }

  GFileState& g_;
  bool skipped_ = false;
};

}  // namespace

GFileState* openListEntry(GFileState& g, const ListEntry& e, int32_t first) {
  char text[kListLineSize + 16];
  std::snprintf(text, sizeof text, "Opening %s...", e.name);
  sendMessage(g, text, TOL_MESSAGE_PROGRESS);
  // Entries deliver their source frames one for one; the list converts the
  // rate once, for all of them.
  return GFileOpen(e.name, static_cast<uint32_t>(g.trueColor), g.argInNum, g.argInDen, g.argInNum, g.argInDen, 0, 0,
                   0, 0, first, e.last, 0, 65536, 0, 256, 0, 0, 2, nullptr, "", g.callback);
}

FrameSource* makeListSource(GFileState& g) { return new (std::nothrow) ListSource(g); }

TOL_NS_END
