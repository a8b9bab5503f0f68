# Arbitrary bytes opened as a Pleven file in memory, every frame decoded and
# every sound chunk taken out.
tol_add_fuzzer(pleven_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/pleven_fuzzer.cpp LIBS tolutil_static)
target_compile_definitions(pleven_fuzzer PRIVATE TOL_LIB_NS=util_lib)
