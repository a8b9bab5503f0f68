# The launcher's dialog logic without a window system: switch strings,
# command lines, file checks, sequences, the list file. Used by the launcher
# and by the fuzz targets.
if(TARGET tolvideo_core)
  return()
endif()
# The operating-system layer the launcher uses itself (profile, program
# folder), compiled in its own namespace as each library does.
add_library(tolvideo_platform OBJECT ${PROJECT_SOURCE_DIR}/platform/os_posix.cpp
                                     ${PROJECT_SOURCE_DIR}/platform/profile_ini.cpp)
target_include_directories(tolvideo_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(tolvideo_platform PUBLIC TOL_LIB_NS=launcher_lib)

file(GLOB _core_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/launcher/core/*.cpp)
add_library(tolvideo_core STATIC ${_core_sources} $<TARGET_OBJECTS:tolvideo_platform>)
target_include_directories(tolvideo_core PUBLIC ${PROJECT_SOURCE_DIR}/launcher ${PROJECT_SOURCE_DIR}
                                                ${PROJECT_SOURCE_DIR}/include)
target_compile_definitions(tolvideo_core PUBLIC TOL_LIB_NS=launcher_lib)
target_link_libraries(tolvideo_core PUBLIC tolutil Threads::Threads)

