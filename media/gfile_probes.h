// The readers of the graphics input's kinds, found by probing a file.
#pragma once

#include <cstddef>

#include "media/gfile.h"

TOL_NS_BEGIN

enum class ProbeOutcome { Declined, Accepted, Failed };

// A kind's probe: opens `name` as that kind, or declines. Failed stops the
// probing (the file is of that kind but cannot be read).
using ProbeFunction = ProbeOutcome (*)(const char* name, ProbeResult& result);

// Runs the probes in their order on name (completed with each probe's
// extension when it has none). True with result filled when one accepts;
// false at once when name has an extension and names no file.
bool runProbes(const char* name, ProbeResult& result);

// The kinds' probes.
ProbeOutcome probeFlic(const char* name, ProbeResult& result);
ProbeOutcome probePleven(const char* name, ProbeResult& result);
ProbeOutcome probeZurn(const char* name, ProbeResult& result);
ProbeOutcome probeBmp(const char* name, ProbeResult& result);
ProbeOutcome probePcx(const char* name, ProbeResult& result);
ProbeOutcome probePng(const char* name, ProbeResult& result);
ProbeOutcome probeTga(const char* name, ProbeResult& result);
ProbeOutcome probeAvi(const char* name, ProbeResult& result);
ProbeOutcome probeQuickTime(const char* name, ProbeResult& result);
ProbeOutcome probeTif(const char* name, ProbeResult& result);
ProbeOutcome probeGif(const char* name, ProbeResult& result);
ProbeOutcome probeJpeg(const char* name, ProbeResult& result);
ProbeOutcome probeSoundOnly(const char* name, ProbeResult& result);
ProbeOutcome probeRaw(const char* name, ProbeResult& result);

// The largest buffer a still image may take; a larger one counts as not
// allocated ("Out of memory", the frame kept). No limit but the allocator's
// by default; tests lower it to reach that path.
void setStillBufferLimit(size_t bytes);

// The reader of a list or numbered sequence (gfile_list.cpp), and the open
// of one of its entries.
FrameSource* makeListSource(GFileState& g);
GFileState* openListEntry(GFileState& g, const ListEntry& e, int32_t first);

TOL_NS_END
