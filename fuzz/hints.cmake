# Arbitrary text as the compressor's hint file: key frames, data rates and
# largest frames over ranges of frames.
tol_add_fuzzer(hints_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/hints_fuzzer.cpp ${PROJECT_SOURCE_DIR}/tools/zurn/hints.cpp
               ${PROJECT_SOURCE_DIR}/tools/common/command_line.cpp)
target_include_directories(hints_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/tools)
