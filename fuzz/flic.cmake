# The FLIC reader on arbitrary files; what it decodes goes through the writer
# and back.
tol_add_fuzzer(flic_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/flic_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(flic_fuzzer PRIVATE TOL_LIB_NS=util_lib)
