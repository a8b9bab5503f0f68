# Buffered file I/O: bytes per second of the inline byte and word paths
# against bit fields and the general block path.
tol_add_benchmark(bench_tolfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tolfile_bench.cpp LIBS tolutil_static)
target_compile_definitions(bench_tolfile PRIVATE TOL_LIB_NS=util_lib)
