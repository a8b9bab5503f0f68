# Palettised animation decoding: frames per second of the FLIC reader and the
# Pleven decoder (and the two file sizes) on a
# synthetic moving clip, beside an independent FLIC decoder where installed.
tol_add_benchmark(bench_palettised_decode SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/palettised_decode_bench.cpp
                  LIBS tolutil_static)
target_compile_definitions(bench_palettised_decode PRIVATE TOL_LIB_NS=util_lib)
