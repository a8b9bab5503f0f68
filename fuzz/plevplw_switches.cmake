# Arbitrary text as the Pleven player's command line and quick-play setting,
# and what an accepted one gives: the drawing area, the picture's place in
# it and the texture rows for any picture size.
#   plevplw_switches_fuzzer -dict=fuzz/plevplw_switches.dict CORPUS fuzz/plevplw_switches_seeds
if(TARGET plevplw_parts)
  tol_add_fuzzer(plevplw_switches_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/plevplw_switches_fuzzer.cpp
                 LIBS plevplw_parts)
endif()
