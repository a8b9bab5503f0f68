// The compressor's hint text from arbitrary bytes. A refusal names its line;
// whatever is accepted holds ranges and values the job can use, and the
// per-frame look-ups stay inside them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "zurn/hints.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

bool sane(const zurntool::FrameRange& r) { return r.first >= 1 && r.first <= r.last && r.step >= 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  zurntool::Hints hints;
  std::string error;
  if (!zurntool::parseHints(text, hints, error)) {
    check(error.rfind("hints, line ", 0) == 0);
    return 0;
  }
  for (const zurntool::FrameRange& r : hints.keys) check(sane(r));
  for (const auto* values : {&hints.rates, &hints.maxima})
    for (const zurntool::Hints::Value& v : *values) check(sane(v.range) && v.num > 0 && v.den > 0);
  for (const zurntool::Hints::Value& v : hints.rates) check(v.den == 1);

  // The look-ups the compressor makes for every frame.
  for (const uint32_t frame : {1u, 2u, 100u, 65535u, UINT32_MAX - 1, UINT32_MAX}) {
    const bool key = hints.keyAt(frame);
    bool expected = false;
    for (const zurntool::FrameRange& r : hints.keys) expected = expected || r.holds(frame);
    check(key == expected);
    for (const auto* values : {&hints.rates, &hints.maxima}) {
      const zurntool::Hints::Value* v = zurntool::Hints::valueAt(*values, frame);
      check(!v || (v >= values->data() && v < values->data() + values->size() && v->range.holds(frame)));
    }
  }
  return 0;
}
