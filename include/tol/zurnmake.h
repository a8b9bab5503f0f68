/* The Zurn encoder library (zurnmake): writes true-colour frames and sound
 * tracks into a Zurn file.
 *
 * A host opens a job with ZurnMake, hands over every frame with
 * ZurnMakePutVideo, may ask for a consistent file on disk at any time with
 * ZurnMakeFlush (also from another thread) and ends with ZurnMakeClose. The
 * job writes "<outputName>.tmp" and renames it over the target at close.
 *
 * Frames: 32 bits a pixel, byte 0 red, byte 1 green, byte 2 blue, byte 3
 * ignored; rows pitch bytes apart, top row first.
 *
 * Adaptations: output names are limited to 123 bytes (the temporary name
 * must fit 127); longer names are refused like an uncreatable file. Jobs on
 * different threads may run at the same time (each job keeps its own work
 * areas); one job is driven by one thread, apart from ZurnMakeFlush. */
#ifndef TOL_ZURNMAKE_H
#define TOL_ZURNMAKE_H

#include "tol/api.h"
#include "tol/tolalloc.h"
#include "tol/zurnmake_record.h"

/* Opens a job; null on failure (reported through callback, kind 2).
 * height: input rows, halved when lineMode is 1 or 2 (every other row used).
 * keyInterval: 0 or the distance of forced keyframes. windowSize: 2 to 64.
 * soundTracks: soundTrackCount descriptions; callback may be null. */
TOLAPI(ZurnMakeState*)
ZurnMake(const char* outputName, uint32_t pitch, uint32_t width, uint32_t height, uint32_t frameCount,
         uint32_t keyInterval, uint32_t lineMode, uint32_t fpsNumerator, uint32_t fpsDenominator,
         uint32_t soundTrackCount, const ZurnMakeSoundTrack* soundTracks, uint32_t windowSize,
         ZurnMakeCallback callback);

/* Hands over the next frame with the bytes it should and may take (sound
 * included) and whether the host wants it to be a keyframe. */
TOLAPI(void)
ZurnMakePutVideo(ZurnMakeState* handle, uint32_t targetSize, uint32_t maxSize, uint32_t keyframe,
                 const void* pixels);

/* Brings the file on disk up to date; 1 on success, 0 when the file could
 * not be had within 250 ms (try again). */
TOLAPI(int32_t) ZurnMakeFlush(ZurnMakeState* handle);

/* Finishes the file (or deletes it when discard is non-zero or the job
 * failed) and frees the job; returns the file's size in bytes. */
TOLAPI(uint32_t) ZurnMakeClose(ZurnMakeState* handle, int32_t discard);

#endif
