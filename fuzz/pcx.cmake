# Arbitrary bytes read as a PCX still image by our own reader.
tol_add_fuzzer(pcx_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/pcx_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(pcx_fuzzer PRIVATE TOL_LIB_NS=util_lib)
