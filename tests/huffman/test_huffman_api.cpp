// The exported Huffman encoder through the shared library.
#include <vector>

#include "testutil.h"
#include "tol/huffman.h"
#include "tol/tolfile.h"

extern "C" const void* const huffman_api_functions[];
extern "C" const unsigned huffman_api_function_count;

TEST(HuffmanApi, HeaderCompilesAsCAndEveryFunctionIsExported) {
  ASSERT_EQ(huffman_api_function_count, 8u);
  for (unsigned i = 0; i < huffman_api_function_count; ++i) EXPECT_NE(huffman_api_functions[i], nullptr);
}

TEST(HuffmanApi, SixteenBitTreeCodesThroughTheExports) {
  testutil::TempDir dir;
  const std::string name = dir.file("tree");
  TOLFile* f = TOLFileCreate(4096, name.c_str());
  ASSERT_NE(f, nullptr);
  HuffTree* t = HuffOpen(0);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(t->lowTree, nullptr);
  HuffSetOutput(t, f);
  EXPECT_EQ(t->lowTree->output, f);
  for (uint32_t v : {300u, 300u, 5u, 70000u}) HuffAddStat(t, v);  // 70000 counts as 4464
  EXPECT_GT(HuffStartEncode(t), 0);
  EXPECT_EQ(t->lengths[4464], 2);
  HuffEncode(t, 300);
  HuffEncode(t, 300);
  EXPECT_EQ(t->valuesCoded, 4u);
  HuffInitStats(t);
  EXPECT_EQ(t->hasStats, 0);
  HuffClose(t);
  TOLFileClose(f);
}
