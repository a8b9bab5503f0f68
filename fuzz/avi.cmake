# The AVI reader on arbitrary bytes in memory, frame decoding included.
tol_add_fuzzer(avi_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/avi_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(avi_fuzzer PRIVATE TOL_LIB_NS=util_lib)
