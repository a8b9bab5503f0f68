# Arbitrary bytes opened as a Zurn file in memory, every frame decoded and
# copied to a surface.
tol_add_fuzzer(decoder_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/decoder_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(decoder_fuzzer PRIVATE TOL_LIB_NS=util_lib)
