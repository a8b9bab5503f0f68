# Sound input: SFileGet throughput in times real time, 44100 Hz stereo, with
# and without rate and format conversion, beside a plain read of the file.
tol_add_benchmark(bench_sfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sfile_bench.cpp LIBS tolutil_static)
target_compile_definitions(bench_sfile PRIVATE TOL_LIB_NS=util_lib)
