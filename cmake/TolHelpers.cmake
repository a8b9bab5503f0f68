find_package(Threads REQUIRED)

# Third-party libraries that tolutil uses: the reference codecs of the still
# image formats and of Motion-JPEG.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)
find_package(GIF REQUIRED)
add_library(tol_deps_util INTERFACE)
target_link_libraries(tol_deps_util INTERFACE Threads::Threads PNG::PNG JPEG::JPEG TIFF::TIFF GIF::GIF)

function(tol_setup_warnings_and_sanitizers)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(TOL_SANITIZE)
    add_compile_options(-fsanitize=${TOL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TOL_SANITIZE})
  endif()
  if(TOL_BUILD_FUZZERS)
    # Coverage instrumentation for the library code the fuzz targets drive.
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endfunction()

# Common settings for code that goes into one of the two libraries.
# ns: the inline namespace of that library's copy of the shared code.
function(tol_library_defaults target ns)
  tol_instruction_set_flags(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${target} PUBLIC TOL_LIB_NS=${ns} TOL_BUILDING_LIBRARY=1)
  target_link_libraries(${target} PUBLIC Threads::Threads)
endfunction()

# One library's copy of the code compiled into both libraries.
function(tol_add_shared_copy target ns)
  add_library(${target} OBJECT ${TOL_PLATFORM_SOURCES} ${TOL_FILEIO_SOURCES} ${TOL_CODEC_SHARED_SOURCES})
  tol_library_defaults(${target} ${ns})
endfunction()

# tol_add_test(name SOURCES ... LIBS ... [LABELS ...] [ENVIRONMENT VAR=value]):
# a GoogleTest program registered with CTest. Label "threads" marks tests that
# the tsan preset runs; ENVIRONMENT sets one variable for its tests.
function(tol_add_test name)
  cmake_parse_arguments(T "" "ENVIRONMENT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TOL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TOL_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
                                             TOL_VECTORS_DIR="${PROJECT_SOURCE_DIR}/../shared/vectors")
  if(T_ENVIRONMENT)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}" LABELS "${T_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# Files named *_sse2.cpp, *_sse41.cpp, *_avx2.cpp hold kernels for one
# instruction set; only they are compiled for it, and the run-time dispatch
# decides whether they are called.
function(tol_instruction_set_flags target)
  get_target_property(_srcs ${target} SOURCES)
  foreach(_s ${_srcs})
    if(_s MATCHES "_avx2\\.cpp$")
      set_source_files_properties(${_s} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-mavx2;-mfma")
    elseif(_s MATCHES "_sse41\\.cpp$")
      set_source_files_properties(${_s} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-msse4.1")
    elseif(_s MATCHES "_sse2\\.cpp$")
      set_source_files_properties(${_s} TARGET_DIRECTORY ${target} PROPERTIES COMPILE_OPTIONS "-msse2")
    endif()
  endforeach()
endfunction()

# tol_add_fuzzer(name SOURCES ... LIBS ...): a libFuzzer target (fuzz preset).
function(tol_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
endfunction()

# tol_add_benchmark(name SOURCES ... LIBS ...): a Google Benchmark program.
function(tol_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${name} PRIVATE TOL_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")
endfunction()
