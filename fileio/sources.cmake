# Every .cpp file of the folder belongs to the library (files for one
# instruction set end in _sse2, _sse41 or _avx2 and get that set's flags).
file(GLOB TOL_FILEIO_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fileio/*.cpp)
