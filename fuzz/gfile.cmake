# The graphics input on arbitrary bytes written to a file: GFileOpen with
# each kind's extension, then every frame through GFileGet.
tol_add_fuzzer(gfile_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/gfile_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(gfile_fuzzer PRIVATE TOL_LIB_NS=util_lib)
