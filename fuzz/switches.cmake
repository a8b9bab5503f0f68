# The switch parsers, the word splitters and trimming on arbitrary text, with
# checks on what each may remove and write. Seeds in switches_seeds/, a
# dictionary in switches.dict:
#   switches_fuzzer -dict=fuzz/switches.dict CORPUS fuzz/switches_seeds
tol_add_fuzzer(switches_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/switches_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(switches_fuzzer PRIVATE TOL_LIB_NS=util_lib)
