# Arbitrary bytes read as a TGA still image by our own reader.
tol_add_fuzzer(tga_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tga_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(tga_fuzzer PRIVATE TOL_LIB_NS=util_lib)
