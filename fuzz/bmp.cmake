# Arbitrary bytes read as a BMP still image by our own reader.
tol_add_fuzzer(bmp_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(bmp_fuzzer PRIVATE TOL_LIB_NS=util_lib)
