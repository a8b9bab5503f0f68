# Arbitrary bytes opened as a QuickTime movie in memory: every frame of the
# first video track and the sound of the first two sound tracks read.
tol_add_fuzzer(quicktime_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/quicktime_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(quicktime_fuzzer PRIVATE TOL_LIB_NS=util_lib)
