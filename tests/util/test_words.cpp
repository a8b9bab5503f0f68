// Trimming, quotes and the word splitter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/text.h"

namespace {

template <class F>
std::string apply(F f, std::string text) {
  f(text.data());
  return text.c_str();
}

struct Cut {
  std::string word, rest;
  uint32_t length;
};
template <class F>
Cut cut(F f, std::string text, uint32_t destSize = 64) {
  std::string dest(destSize + 8, '#');
  uint32_t n = f(dest.data(), destSize, text.data());
  EXPECT_EQ(dest.substr(destSize), std::string(8, '#')) << "wrote past the buffer";
  return {dest.c_str(), text.c_str(), n};
}
Cut first(std::string text, uint32_t destSize = 64) { return cut(tol::GetAndRemoveFirstN, text, destSize); }
Cut quoted(std::string text, uint32_t destSize = 64) { return cut(tol::GetAndRemoveFirstQuotedN, text, destSize); }

}  // namespace

TEST(Blanks, SignedTestTakesControlBytesSpaceAndHighBytes) {
  for (int c = 1; c <= 255; ++c)
    EXPECT_EQ(tol::isBlank(static_cast<char>(c)), c <= 32 || c >= 128) << c;
  EXPECT_FALSE(tol::isBlank(0));
}

TEST(Trim, RemovesBlanksAtBothEnds) {
  EXPECT_EQ(apply(tol::Trim, "  a b  "), "a b");
  EXPECT_EQ(apply(tol::Trim, "abc\xE9"), "abc");
  EXPECT_EQ(apply(tol::Trim, "\x80\t\r\nx\xFF "), "x");
  EXPECT_EQ(apply(tol::Trim, " \x01\x1F "), "");
  EXPECT_EQ(apply(tol::Trim, ""), "");
  EXPECT_EQ(apply(tol::Trim, "!~"), "!~");
  tol::Trim(nullptr);
}

TEST(Trim, OneSidedForms) {
  EXPECT_EQ(apply(tol::TrimL, "  a  "), "a  ");
  EXPECT_EQ(apply(tol::TrimR, "  a  "), "  a");
}

TEST(RemoveQuotes, TrimsThenDropsMatchingQuotes) {
  EXPECT_EQ(apply(tol::RemoveQuotes, " \"a b\" "), "a b");
  EXPECT_EQ(apply(tol::RemoveQuotes, "\"\""), "");
  EXPECT_EQ(apply(tol::RemoveQuotes, "\""), "\"");
  EXPECT_EQ(apply(tol::RemoveQuotes, "\"a"), "\"a");
  EXPECT_EQ(apply(tol::RemoveQuotes, "a\""), "a\"");
  EXPECT_EQ(apply(tol::RemoveQuotes, "\"\"\""), "\"");
}

TEST(GetAndRemoveFirst, WordThenBlanksThenOneComma) {
  Cut c = first("one two");
  EXPECT_EQ(c.word, "one");
  EXPECT_EQ(c.rest, "two");
  c = first("  one   two  ");
  EXPECT_EQ(c.word, "one");
  EXPECT_EQ(c.rest, "two  ");  // the rest is trimmed at the left only
  c = first("a , b");
  EXPECT_EQ(c.word, "a ,");
  EXPECT_EQ(c.rest, "b");
  c = first("a,b c");
  EXPECT_EQ(c.word, "a,b");
  EXPECT_EQ(c.rest, "c");
  c = first("a ,, b");
  EXPECT_EQ(c.word, "a ,");
  EXPECT_EQ(c.rest, ", b");
  c = first("\"a b\" c");  // quotes mean nothing here
  EXPECT_EQ(c.word, "\"a");
  EXPECT_EQ(c.rest, "b\" c");
}

TEST(GetAndRemoveFirst, EmptyTextGivesEmptyWord) {
  Cut c = first("   ");
  EXPECT_EQ(c.word, "");
  EXPECT_EQ(c.rest, "");
  EXPECT_EQ(c.length, 0u);
  EXPECT_EQ(tol::GetAndRemoveFirstN(nullptr, 0, nullptr), 0u);
}

TEST(GetAndRemoveFirst, LongWordIsCutButRemovedWhole) {
  Cut c = first("abcdef g", 3);
  EXPECT_EQ(c.word, "ab");
  EXPECT_EQ(c.length, 6u);
  EXPECT_EQ(c.rest, "g");
  c = first("ab   ,", 4);  // a cut that ends on blanks drops them
  EXPECT_EQ(c.word, "ab");
  EXPECT_EQ(c.length, 6u);
  c = first("abc d", 4);
  EXPECT_EQ(c.word, "abc");
  EXPECT_EQ(c.length, 3u);
}

TEST(GetAndRemoveFirstQuoted, QuotedWordMayHoldBlanks) {
  Cut c = quoted("\"a b\" c");
  EXPECT_EQ(c.word, "a b");
  EXPECT_EQ(c.rest, "c");
  c = quoted(" \"  padded  \" x ");
  EXPECT_EQ(c.word, "  padded  ");
  EXPECT_EQ(c.rest, "x");
  c = quoted("\"a b\",c");  // no comma is skipped after a quoted word
  EXPECT_EQ(c.word, "a b");
  EXPECT_EQ(c.rest, ",c");
  c = quoted("\"\" x");
  EXPECT_EQ(c.word, "");
  EXPECT_EQ(c.rest, "x");
}

TEST(GetAndRemoveFirstQuoted, UnclosedQuoteTakesEverything) {
  Cut c = quoted("\"a b  ");
  EXPECT_EQ(c.word, "\"a b");
  EXPECT_EQ(c.rest, "");
}

TEST(GetAndRemoveFirstQuoted, PlainWordLeavesRestTrimmedOnBothSides) {
  Cut c = quoted("x  y  ");
  EXPECT_EQ(c.word, "x");
  EXPECT_EQ(c.rest, "y");
  c = quoted("a , \"b c\" ");
  EXPECT_EQ(c.word, "a ,");
  EXPECT_EQ(c.rest, "\"b c\"");
}

TEST(GetAndRemoveFirstQuoted, TakesACommandLineApartNameByName) {
  std::string line = " \"/home/me/my clip.avi\" out.zrn  \"x\" ";
  char name[tol::kTextSize];
  std::vector<std::string> names;
  for (;;) {
    tol::GetAndRemoveFirstQuoted(name, line.data());
    if (!*name) break;
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"/home/me/my clip.avi", "out.zrn", "x"}));
}

TEST(GetAndRemoveFirstQuoted, LongQuotedWordIsCut) {
  Cut c = quoted("\"abcdef\" g", 4);
  EXPECT_EQ(c.word, "abc");
  EXPECT_EQ(c.length, 6u);
  EXPECT_EQ(c.rest, "g");
  c = quoted("\"abcdef", 4);
  EXPECT_EQ(c.word, "\"ab");
  EXPECT_EQ(c.length, 7u);
}

TEST(Findchar, FirstOccurrenceOrNull) {
  const char* t = "abcb";
  EXPECT_EQ(tol::findchar(t, 'b'), t + 1);
  EXPECT_EQ(tol::findchar(t, 'z'), nullptr);
  EXPECT_EQ(tol::findchar(t, 0), nullptr);
  EXPECT_EQ(tol::findchar(nullptr, 'a'), nullptr);
}
