# Transform kernels of the encoder and decoder, plain against SSE4.1 and
# AVX2: inverse and forward transform, quantisation, coefficient cost; and
# the residue coder.
tol_add_benchmark(bench_transform_kernels SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/transform_kernels_bench.cpp
                  LIBS zurnmake_static)
target_compile_definitions(bench_transform_kernels PRIVATE TOL_LIB_NS=zurn_lib)
