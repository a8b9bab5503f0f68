/* The public header compiles as C, and every function it declares is
 * exported by the shared library (the program would not link otherwise). */
#include "tol/huffman.h"

const void* const huffman_api_functions[] = {
    (const void*)HuffOpen,      (const void*)HuffSetOutput,   (const void*)HuffClose,
    (const void*)HuffInitStats, (const void*)HuffInitLasts,   (const void*)HuffAddStat,
    (const void*)HuffStartEncode, (const void*)HuffEncode,
};
const unsigned huffman_api_function_count = sizeof huffman_api_functions / sizeof huffman_api_functions[0];
