# Transform kernels of the encoder and decoder: the inverse transform (plain
# against SSE4.1 and AVX2), quantisation and the coefficient cost, on
# quantised blocks of a smooth textured picture.
tol_add_benchmark(bench_transform_kernels SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/transform_kernels_bench.cpp
                  LIBS zurnmake_static)
target_compile_definitions(bench_transform_kernels PRIVATE TOL_LIB_NS=zurn_lib)
