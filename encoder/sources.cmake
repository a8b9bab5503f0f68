set(TOL_ENCODER_SOURCES
  encoder/tolmalloc.cpp
  encoder/exports_alloc.cpp
)
