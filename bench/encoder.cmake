# Zurn encoder: frames per second at 320x240 and 640x480 on the corpus PNG
# sequences (skipped without the corpus), with the time of each pipeline
# step per frame, for one and for several analysis threads.
find_package(PNG REQUIRED)
tol_add_benchmark(bench_encoder SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/encoder_bench.cpp
                  LIBS zurnmake_static PNG::PNG)
target_compile_definitions(bench_encoder PRIVATE TOL_LIB_NS=zurn_lib)
