# The comparison harness's code, as a library shared by the zurnbench program
# and its tests. Included from bench/zurnbench.cmake and tests/zurnbench.
if(NOT TARGET zurnbench_core)
  find_package(JPEG REQUIRED)
  file(GLOB _zurnbench_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  list(FILTER _zurnbench_sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(zurnbench_core STATIC ${_zurnbench_sources})
  target_include_directories(zurnbench_core PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/include
                             PRIVATE ${PROJECT_SOURCE_DIR})
  # Only the colour conversion is taken from inside the encoder library.
  target_compile_definitions(zurnbench_core PRIVATE TOL_LIB_NS=zurn_lib)
  target_link_libraries(zurnbench_core PUBLIC tolapp_common zurnmake_static tolutil_static JPEG::JPEG Threads::Threads)
endif()
