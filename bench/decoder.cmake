# Zurn decoder: fetching frames through the read-ahead ring against direct
# reads, decoding, copying changed areas against full copies, open and close.
tol_add_benchmark(bench_decoder SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/decoder_bench.cpp LIBS tolutil_static)
target_compile_definitions(bench_decoder PRIVATE TOL_LIB_NS=util_lib)
target_include_directories(bench_decoder PRIVATE ${PROJECT_SOURCE_DIR}/tests/decoder)
