# zurnbench: Zurn beside other codecs, speed and quality (scripts/bench.sh).
include(${CMAKE_CURRENT_SOURCE_DIR}/zurnbench/sources.cmake)
add_executable(zurnbench ${CMAKE_CURRENT_SOURCE_DIR}/zurnbench/main.cpp)
target_link_libraries(zurnbench PRIVATE zurnbench_core)
