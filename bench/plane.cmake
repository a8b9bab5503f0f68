# Plane decoding throughput on realistic block mixes.
tol_add_benchmark(plane_decode_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/plane_decode_bench.cpp LIBS tolutil_static)
target_compile_definitions(plane_decode_bench PRIVATE TOL_LIB_NS=util_lib)
