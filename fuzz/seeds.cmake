# Writes the Zurn targets' seed corpora from our own encoder's files
# (scripts/fuzz.sh --seeds). A plain program, not a fuzzer.
add_executable(make_seeds ${CMAKE_CURRENT_LIST_DIR}/make_seeds.cpp)
target_link_libraries(make_seeds PRIVATE tolutil_static zurnmake_static)
target_include_directories(make_seeds PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
target_compile_definitions(make_seeds PRIVATE TOL_LIB_NS=util_lib)
