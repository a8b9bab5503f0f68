# Arbitrary text as the launcher's switch strings (they come from the
# profile) and selection texts: read into each dialog's fields and written
# back, which must settle after one pass.
include(${PROJECT_SOURCE_DIR}/launcher/core.cmake)
tol_add_fuzzer(launcher_switches_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/launcher_switches_fuzzer.cpp
               LIBS tolvideo_core)
