# The list-file and frame-sequence entry reader on arbitrary list files and names.
tol_add_fuzzer(list_entries_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_entries_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(list_entries_fuzzer PRIVATE TOL_LIB_NS=util_lib)
