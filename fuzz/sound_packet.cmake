# Sound packet decoding on arbitrary bytes, for the three track layouts.
tol_add_fuzzer(fuzz_sound_packet SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_packet_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(fuzz_sound_packet PRIVATE TOL_LIB_NS=util_lib)
