// The roles this program takes when the harness runs it as a child process,
// so that each codec's encoding and decoding is measured in a process of its
// own (time and peak memory), like the peers' command-line tools. Each role
// prints its results as "name=value" lines on standard output and returns
// the process exit code.
#pragma once

#include "args.h"

namespace zurnbench {

// zurn-encode --in FRAMES.rgbx --width W --height H --frames N --fps F
//             --rate BYTES_PER_S --window N --key-interval N --out FILE.zrn
int zurnEncodeRole(const Args& a);
// zurn-decode --in FILE.zrn --mode decode|blit32|planes [--out FILE.i420]
int zurnDecodeRole(const Args& a);
// mjpeg-encode --in CLIP.y4m --quality Q --out FILE.mjpg
int mjpegEncodeRole(const Args& a);
// mjpeg-decode --in FILE.mjpg --mode decode|planes [--out FILE.i420]
int mjpegDecodeRole(const Args& a);
// zurn-sound-encode --in FILE.wav --option N --fps F --out FILE.zrn
int zurnSoundEncodeRole(const Args& a);
// zurn-sound-decode --in FILE.zrn --out FILE.wav
int zurnSoundDecodeRole(const Args& a);

}  // namespace zurnbench
