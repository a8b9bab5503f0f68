# Arbitrary command lines of the converter: names and switches read, the
# /Y told apart, the sound switches handed to the sound input's parser.
tol_add_fuzzer(zurnconv_options_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/zurnconv_options_fuzzer.cpp
               LIBS zurnconv_parts)
