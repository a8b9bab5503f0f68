# YUV blitters: megapixels per second per surface type and loop kind.
tol_add_benchmark(bench_yuv SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/yuv_bench.cpp LIBS tolutil_static)
target_compile_definitions(bench_yuv PRIVATE TOL_LIB_NS=util_lib)
