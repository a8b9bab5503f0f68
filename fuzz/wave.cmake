# The tools' WAVE reader on arbitrary bytes.
tol_add_fuzzer(wave_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/wave_fuzzer.cpp LIBS tolapp_common)
