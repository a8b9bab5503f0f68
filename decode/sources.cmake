# decode/core/: the codec core compiled into both libraries (tables, bit
# reader and writer, inverse transform), so that encoder and decoder share one
# definition. decode/*.cpp: decoders and blitters, in tolutil only.
# Files for one instruction set end in _sse2, _sse41 or _avx2.
file(GLOB TOL_CODEC_SHARED_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/decode/core/*.cpp)
file(GLOB TOL_DECODE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/decode/*.cpp)
