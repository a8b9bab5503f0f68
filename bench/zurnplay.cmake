# The Zurn player's processor use while it plays a 640 x 480 clip at 30
# frames a second on a virtual display, beside vpxdec decoding the same clip
# as VP8 (its processor time per second of video).
if(TARGET zurnplay)
  tol_add_benchmark(bench_zurnplay SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/zurnplay_bench.cpp LIBS zurnbench_core)
  target_compile_definitions(bench_zurnplay PRIVATE TOL_ZURN="$<TARGET_FILE:zurn>"
                             TOL_ZURNPLAY="$<TARGET_FILE:zurnplay>")
  add_dependencies(bench_zurnplay zurn zurnplay)
endif()
