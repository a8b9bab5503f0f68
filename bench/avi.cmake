# AVI reading: frames per second of uncompressed and Motion-JPEG corpus files
# through the frame getter, beside a plain copy of the same bytes and
# libjpeg-turbo's djpeg on the same JPEG frames.
tol_add_benchmark(bench_avi SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/avi_bench.cpp LIBS tolutil_static)
target_compile_definitions(bench_avi PRIVATE TOL_LIB_NS=util_lib)
