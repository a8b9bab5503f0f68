# Arbitrary bytes read through the sound input to the end, as a WAVE file or
# as headerless PCM, in a delivered format and selection taken from the
# input's first bytes.
tol_add_fuzzer(sfile_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/sfile_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(sfile_fuzzer PRIVATE TOL_LIB_NS=util_lib)
