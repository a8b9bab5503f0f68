# Sound packet decoding on arbitrary bytes, for the three track layouts.
tol_add_fuzzer(sound_packet_fuzzer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/sound_packet_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(sound_packet_fuzzer PRIVATE TOL_LIB_NS=util_lib)
