# Arbitrary bytes as a Zurn file read by the tools' header and index reader
# (players, tolinfo).
tol_add_fuzzer(zurn_facts_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/zurn_facts_fuzzer.cpp
               ${PROJECT_SOURCE_DIR}/tools/common/zurn_facts.cpp)
target_include_directories(zurn_facts_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/tools)
