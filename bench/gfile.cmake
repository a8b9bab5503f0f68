# Graphics input: GFileGet frames per second on image sequences and AVI files
# at 320 x 240 and 640 x 480, true colour and 8-bit with palette analysis,
# beside libpng's and libjpeg-turbo's bare decode of the same files.
tol_add_benchmark(bench_gfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gfile_bench.cpp LIBS tolutil_static PNG::PNG JPEG::JPEG)
target_compile_definitions(bench_gfile PRIVATE TOL_LIB_NS=util_lib)
