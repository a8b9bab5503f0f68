/* Export and calling-convention markers shared by the public headers. */
#ifndef TOL_API_H
#define TOL_API_H

#include <stdint.h>

#if defined(_WIN32)
#  define TOL_CC __stdcall
#  if defined(TOL_BUILDING_LIBRARY)
#    define TOL_EXPORT __declspec(dllexport)
#  else
#    define TOL_EXPORT __declspec(dllimport)
#  endif
#else
#  define TOL_CC
#  define TOL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#  define TOL_EXTERN_C extern "C"
#else
#  define TOL_EXTERN_C
#endif

/* TOLAPI(type) marks an exported function: extern "C", undecorated name. */
#define TOLAPI(type) TOL_EXTERN_C TOL_EXPORT type TOL_CC

#endif
