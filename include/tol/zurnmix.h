/* The Zurn sound mixer, exported by zurnmake: adds sound tracks to an
 * existing Zurn file or replaces tracks in it, without touching the video.
 *
 * ZurnMix copies inputName frame by frame to "<outputName>.tmp" and renames
 * it to outputName at the end (outputName may equal inputName). Every input
 * track whose id matches a description in `tracks` (with a non-zero rate) is
 * replaced in place by new sound, and that description's rate is set to 0
 * in the caller's array; the other input tracks are copied unchanged; the
 * descriptions left over are appended as new tracks. The video data and the
 * keyframe bits of every frame are copied unchanged.
 *
 * fpsNumerator, fpsDenominator: when both are non-zero, the new frame rate
 * written to the header (reduced to lowest terms); it also times the new
 * sound. delay: 0 or 1, the new sound starts with the first frame; n > 1,
 * n - 1 frames later; -m, m milliseconds later (silence first, rounded down
 * to whole 4-byte units).
 *
 * callback (may be null): kind 1 once per frame with text "" and a
 * ZurnMixProgress record as handle; a non-zero answer stops the mix after
 * that frame and throws the result away. Kind 2 carries messages:
 * "Couldn't open input Zurn file.", "Couldn't create temporary file. ...",
 * "Out of memory!", "The Zurn file is damaged.", "Couldn't write the mixed
 * Zurn file.", "Zurn couldn't overwrite, '...', so the new Zurn file is
 * called: '...'." and "Zurn couldn't rename the temporary file.".
 *
 * Returns the size of the new file in bytes; 0 when trackCount is 0, on any
 * failure and when the mix was stopped (nothing is left on disk then).
 *
 * Adaptations: output names are limited to 123 bytes (the temporary name
 * must fit 127); a temporary name that would be the input file itself is
 * refused like an uncreatable file; a failed rename is reported. Mixes on
 * different threads may run at the same time. */
#ifndef TOL_ZURNMIX_H
#define TOL_ZURNMIX_H

#include "tol/api.h"
#include "tol/zurnmake_record.h"
#include "tol/zurnmix_record.h"

TOLAPI(uint32_t)
ZurnMix(const char* inputName, const char* outputName, uint32_t fpsNumerator, uint32_t fpsDenominator,
        int32_t delay, uint32_t trackCount, ZurnMakeSoundTrack* tracks, ZurnMakeCallback callback);

#endif
