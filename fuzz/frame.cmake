# Arbitrary bytes decoded as the video data of one Zurn frame of several sizes.
tol_add_fuzzer(frame_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(frame_fuzzer PRIVATE TOL_LIB_NS=util_lib)
