find_package(Threads REQUIRED)

# Third-party libraries that tolutil uses; grows as readers arrive.
add_library(tol_deps_util INTERFACE)
target_link_libraries(tol_deps_util INTERFACE Threads::Threads)

function(tol_setup_warnings_and_sanitizers)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(TOL_SANITIZE)
    add_compile_options(-fsanitize=${TOL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TOL_SANITIZE})
  endif()
endfunction()

# Common settings for code that goes into one of the two libraries.
# ns: the inline namespace of that library's copy of the shared code.
function(tol_library_defaults target ns)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${target} PUBLIC TOL_LIB_NS=${ns} TOL_BUILDING_LIBRARY=1)
  target_link_libraries(${target} PUBLIC Threads::Threads)
endfunction()

# One library's copy of the code compiled into both libraries.
function(tol_add_shared_copy target ns)
  add_library(${target} OBJECT ${TOL_PLATFORM_SOURCES} ${TOL_FILEIO_SOURCES} ${TOL_CODEC_SHARED_SOURCES})
  tol_library_defaults(${target} ${ns})
endfunction()

# tol_add_test(name SOURCES ... LIBS ...): a GoogleTest program registered with CTest.
function(tol_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TOL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TOL_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
                                             TOL_VECTORS_DIR="${PROJECT_SOURCE_DIR}/../shared/vectors")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "TOL_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}/tmp")
endfunction()
