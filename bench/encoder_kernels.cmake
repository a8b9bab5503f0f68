# Encoder block-analysis kernels: plain against SSE4.1 and AVX2 versions in
# one run (a version the processor lacks is skipped), plus the run-option
# steps and option pruning on typical inputs.
tol_add_benchmark(bench_encoder_kernels SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/encoder_kernels_bench.cpp
                  LIBS zurnmake_static)
target_compile_definitions(bench_encoder_kernels PRIVATE TOL_LIB_NS=zurn_lib)
