# Compressed sound chunk decoding alone, on arbitrary bytes.
tol_add_fuzzer(sound_chunk_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_chunk_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(sound_chunk_fuzzer PRIVATE TOL_LIB_NS=util_lib)
