set(TOL_UTIL_SOURCES
  util/tolmalloc.cpp
  util/exports_alloc.cpp
)
