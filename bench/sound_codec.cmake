# Sound coder and decoder speed, with the quality (SNR) and the coded data
# rate of each quality option as counters.
set(_sound_dir ${PROJECT_SOURCE_DIR}/tests/sound)
tol_add_benchmark(bench_sound_codec SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_codec_bench.cpp
                  ${_sound_dir}/encode_bridge.cpp ${_sound_dir}/decode_bridge.cpp
                  LIBS zurnmake_static tolutil_static)
target_include_directories(bench_sound_codec PRIVATE ${_sound_dir})
set_source_files_properties(${_sound_dir}/decode_bridge.cpp TARGET_DIRECTORY bench_sound_codec
                            PROPERTIES COMPILE_DEFINITIONS TOL_LIB_NS=util_lib)
set_source_files_properties(${_sound_dir}/encode_bridge.cpp TARGET_DIRECTORY bench_sound_codec
                            PROPERTIES COMPILE_DEFINITIONS TOL_LIB_NS=zurn_lib)
