// tolutil's exported Huffman encoder: thin wrappers over util/huffman.h.
#include "tol/huffman.h"

#include "util/huffman.h"

TOLAPI(HuffTree*) HuffOpen(int32_t byteTree) { return tol::HuffOpen(byteTree); }
TOLAPI(void) HuffSetOutput(HuffTree* tree, TOLFile* file) { tol::HuffSetOutput(tree, file); }
TOLAPI(void) HuffClose(HuffTree* tree) { tol::HuffClose(tree); }
TOLAPI(void) HuffInitStats(HuffTree* tree) { tol::HuffInitStats(tree); }
TOLAPI(void) HuffInitLasts(HuffTree* tree) { tol::HuffInitLasts(tree); }
TOLAPI(void) HuffAddStat(HuffTree* tree, uint32_t value) { tol::HuffAddStat(tree, value); }
TOLAPI(int32_t) HuffStartEncode(HuffTree* tree) { return tol::HuffStartEncode(tree); }
TOLAPI(uint32_t) HuffEncode(HuffTree* tree, uint32_t value) { return tol::HuffEncode(tree, value); }
