// Switch parsers: which slash is a switch, what each parser accepts, what it
// removes and what it returns.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "util/switches.h"
#include "util/text.h"

namespace {

struct Flag {
  int32_t found;
  std::string rest;
};
Flag flag(std::string text, char letter) {
  int32_t r = tol::GetSwitch(text.data(), letter);
  return {r, text.c_str()};
}

struct Num {
  int32_t value;
  std::string rest;
};
Num num(std::string text, char letter, int32_t def = 777) {
  int32_t v = tol::GetSwitchNum(text.data(), letter, def);
  return {v, text.c_str()};
}

struct Frac {
  int32_t n, d;
  std::string rest;
};
Frac frac(std::string text, char letter = 'F') {
  Frac f{0, 0, {}};
  tol::GetSwitchFractional(text.data(), letter, &f.n, &f.d, -9, 9);
  f.rest = text.c_str();
  return f;
}

struct Str {
  int32_t result;
  std::string value, rest;
};
Str str(std::string text, char letter, uint32_t destSize = 64, const char* def = "def") {
  std::string dest(destSize + 8, '#');  // guard bytes after the buffer
  int32_t r = tol::GetSwitchStrN(text.data(), letter, dest.data(), destSize, def);
  EXPECT_EQ(dest.substr(destSize), std::string(8, '#')) << "wrote past the buffer";
  return {r, dest.c_str(), text.c_str()};
}

}  // namespace

TEST(SwitchSearch, SlashMustStartAWordOutsideQuotes) {
  EXPECT_EQ(flag("a/P", 'P').found, 0);
  EXPECT_EQ(flag("clips/p", 'P').found, 0);
  EXPECT_EQ(flag("\"x /P\" /P", 'P').rest, "\"x /P\" ");
  EXPECT_EQ(flag("\"unclosed /P", 'P').found, 0);
  EXPECT_EQ(str("\"/home/me/a.avi\" /Hx", 'H').rest, "\"/home/me/a.avi\" ");
  EXPECT_EQ(str("clips/sample.avi /S10", 'S').value, "10");
  // A blank in the signed sense (here 0xE9) also starts a word.
  EXPECT_EQ(flag("a\xE9/P", 'P').found, 1);
  EXPECT_EQ(flag("\t/P", 'P').rest, "\t");
}

TEST(SwitchSearch, SkipsSlashesThatDoNotFitAndGoesOn) {
  EXPECT_EQ(flag("/P5 /P", 'P').rest, "/P5 ");
  EXPECT_EQ(num("/Dx /D7", 'D').value, 7);
  EXPECT_EQ(num("/Dx /D7", 'D').rest, "/Dx ");
  EXPECT_EQ(str("/O /Oname", 'O').value, "name");
  // Only the first match is taken.
  EXPECT_EQ(num("/D1 /D2", 'D').rest, " /D2");
}

TEST(SwitchSearch, LetterComparedInUpperCase) {
  EXPECT_EQ(flag("/p", 'P').found, 1);
  EXPECT_EQ(flag("/P", 'p').found, 0);
  EXPECT_EQ(num("/#1234", '#').value, 1234);
  EXPECT_EQ(str("/&pal.act", '&').value, "pal.act");
}

TEST(SwitchSearch, NothingAtTheEndOfTheTextOrWithoutLetter) {
  EXPECT_EQ(flag("abc /", 'P').found, 0);
  EXPECT_EQ(flag("/", 0).found, 0);
  EXPECT_EQ(flag("", 'P').found, 0);
  EXPECT_EQ(tol::GetSwitch(nullptr, 'P'), 0);
}

TEST(GetSwitch, FlagNeedsAByteBelowDigitZeroAfterTheLetter) {
  Flag f = flag("a /p b", 'P');
  EXPECT_EQ(f.found, 1);
  EXPECT_EQ(f.rest, "a  b");
  f = flag("/P5", 'P');
  EXPECT_EQ(f.found, 0);
  EXPECT_EQ(f.rest, "/P5");
  EXPECT_EQ(flag("/PLAY", 'P').found, 0);
  EXPECT_EQ(flag("/P/Q", 'P').rest, "/Q");
  EXPECT_EQ(flag("/P", 'P').rest, "");
  // Punctuation and bytes from 128 up read as negative count as "below '0'".
  EXPECT_EQ(flag("/P-5", 'P').rest, "-5");
  EXPECT_EQ(flag("/P\xE9", 'P').rest, "\xE9");
  EXPECT_EQ(flag("/P:x", 'P').found, 0);  // ':' comes after the digits
}

TEST(GetSwitchNum, ReadsSignedDecimalAndRemovesItsDigits) {
  Num n = num("x /D-12 y", 'D');
  EXPECT_EQ(n.value, -12);
  EXPECT_EQ(n.rest, "x  y");
  EXPECT_EQ(num("/D250000", 'D').value, 250000);
  EXPECT_EQ(num("/D007", 'D').value, 7);
  n = num("/D12abc", 'D');
  EXPECT_EQ(n.value, 12);
  EXPECT_EQ(n.rest, "abc");
  EXPECT_EQ(num("/D1.5", 'D').rest, ".5");
}

TEST(GetSwitchNum, MissingOrMalformedGivesDefaultAndKeepsText) {
  for (const char* t : {"", "/D", "/D-", "/D--5", "/D+5", "/Dx", "/E5", "a/D5"}) {
    Num n = num(t, 'D', 42);
    EXPECT_EQ(n.value, 42) << t;
    EXPECT_EQ(n.rest, t);
  }
}

TEST(GetSwitchNum, HoldsValuesToThe32BitRange) {
  EXPECT_EQ(num("/D2147483647", 'D').value, INT32_MAX);
  EXPECT_EQ(num("/D-2147483648", 'D').value, INT32_MIN);
  Num n = num("/D99999999999999999999 x", 'D');
  EXPECT_EQ(n.value, INT32_MAX);
  EXPECT_EQ(n.rest, " x");
  EXPECT_EQ(num("/D-99999999999999999999", 'D').value, INT32_MIN);
}

TEST(GetSwitchFractional, DecimalsBecomeReducedFractions) {
  Frac f = frac("/F29.97");
  EXPECT_EQ(f.n, 2997);
  EXPECT_EQ(f.d, 100);
  EXPECT_EQ(f.rest, "");
  f = frac("/F-15");
  EXPECT_EQ(f.n, -15);
  EXPECT_EQ(f.d, 1);
  f = frac("/F25.0");
  EXPECT_EQ(f.n, 25);
  EXPECT_EQ(f.d, 1);
  f = frac("/F0.5");
  EXPECT_EQ(f.n, 1);
  EXPECT_EQ(f.d, 2);
  f = frac("/F0");
  EXPECT_EQ(f.n, 0);
  EXPECT_EQ(f.d, 1);
}

TEST(GetSwitchFractional, SemicolonDividesByASecondNumber) {
  Frac f = frac("/F30;1.001");
  EXPECT_EQ(f.n, 30000);
  EXPECT_EQ(f.d, 1001);
  f = frac("/F-29.97;2");
  EXPECT_EQ(f.n, -2997);
  EXPECT_EQ(f.d, 200);
  f = frac("/F1;3");
  EXPECT_EQ(f.n, 1);
  EXPECT_EQ(f.d, 3);
  // A zero divisor leaves a denominator of 0, which is stored as 1.
  f = frac("/F30;0");
  EXPECT_EQ(f.n, 30);
  EXPECT_EQ(f.d, 1);
}

TEST(GetSwitchFractional, RemovesTheWholeValueAndNothingElse) {
  EXPECT_EQ(frac("a /F29.97;1 b").rest, "a  b");
  EXPECT_EQ(frac("/F30. x").rest, " x");
  Frac f = frac("/F30;x");  // ';' without a digit is not part of the value
  EXPECT_EQ(f.n, 30);
  EXPECT_EQ(f.rest, ";x");
  EXPECT_EQ(frac("/F30;-2").rest, ";-2");
}

TEST(GetSwitchFractional, MissingGivesTheDefaults) {
  for (const char* t : {"", "/F", "/F.5", "/F-", "/Fx", "a/F5"}) {
    Frac f = frac(t);
    EXPECT_EQ(f.n, -9) << t;
    EXPECT_EQ(f.d, 9) << t;
    EXPECT_EQ(f.rest, t);
  }
  std::string text = "/F5";
  tol::GetSwitchFractional(text.data(), 'F', nullptr, nullptr, 0, 0);  // nowhere to store
  EXPECT_STREQ(text.c_str(), "");
}

TEST(GetSwitchFractional, HugeValuesStayIn32BitsWithAPositiveDenominator) {
  Frac f = frac("/F99999999999");
  EXPECT_EQ(f.n, INT32_MAX);
  EXPECT_EQ(f.d, 1);
  f = frac("/F1.000000000000001");  // places beyond 32 bits are dropped
  EXPECT_EQ(f.n, 1);
  EXPECT_EQ(f.d, 1);
  f = frac("/F2147483647;0.000000001");
  EXPECT_GT(f.n, 0);
  EXPECT_GE(f.d, 1);
  f = frac("/F0.000000001;2147483647");
  EXPECT_GE(f.n, 0);
  EXPECT_GE(f.d, 1);
  EXPECT_EQ(f.rest, "");
}

TEST(GetSwitchStr, QuotedValueMayHoldBlanks) {
  Str s = str("/O\"my file\" rest", 'O');
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.value, "my file");
  EXPECT_EQ(s.rest, " rest");
  s = str("/O\"unclosed text", 'O');
  EXPECT_EQ(s.value, "unclosed text");
  EXPECT_EQ(s.rest, "");
  s = str("/O\"\" x", 'O');
  EXPECT_EQ(s.result, 1);
  EXPECT_EQ(s.value, "");
  EXPECT_EQ(s.rest, " x");
  EXPECT_EQ(str("/O\"/home/me/out.zrn\"", 'O').value, "/home/me/out.zrn");
}

TEST(GetSwitchStr, PlainValueEndsAtBlankOrSlash) {
  Str s = str("/Oout.zrn /D5", 'O');
  EXPECT_EQ(s.value, "out.zrn");
  EXPECT_EQ(s.rest, " /D5");
  s = str("/Oa/b", 'O');
  EXPECT_EQ(s.value, "a");
  EXPECT_EQ(s.rest, "/b");
  // The first byte after the letter is always part of the value.
  EXPECT_EQ(str("/O/x y", 'O').value, "/x");
  EXPECT_EQ(str("/Oab\xE9z", 'O').value, "ab");
}

TEST(GetSwitchStr, MissingCopiesTheDefault) {
  for (const char* t : {"", "/O", "/O x", "/O\xE9x", "a/Ox"}) {
    Str s = str(t, 'O');
    EXPECT_EQ(s.result, 0) << t;
    EXPECT_EQ(s.value, "def");
    EXPECT_EQ(s.rest, t);
  }
  EXPECT_EQ(str("", 'O', 64, nullptr).value, "");
  EXPECT_EQ(str("", 'O', 3, "default").value, "de");
}

TEST(GetSwitchStr, ValueLongerThanTheBufferIsCutAndReported) {
  Str s = str("/Oabcdef x", 'O', 4);
  EXPECT_EQ(s.result, tol::kSwitchCut);
  EXPECT_EQ(s.value, "abc");
  EXPECT_EQ(s.rest, " x");  // the whole switch is gone
  s = str("/Oabc x", 'O', 4);
  EXPECT_EQ(s.result, tol::kSwitchFound);
  EXPECT_EQ(s.value, "abc");
  std::string text = "/Oabc";
  EXPECT_EQ(tol::GetSwitchStrN(text.data(), 'O', nullptr, 0, nullptr), tol::kSwitchFound);
  EXPECT_STREQ(text.c_str(), "");
}

TEST(GetSwitchStr, PlainFormAssumesATextSizeBuffer) {
  std::string text = "/O" + std::string(400, 'n');
  char dest[tol::kTextSize + 8];
  std::memset(dest, '#', sizeof dest);
  EXPECT_EQ(tol::GetSwitchStr(text.data(), 'O', dest, nullptr), 1);
  EXPECT_EQ(std::strlen(dest), tol::kTextSize - 1);
  EXPECT_EQ(dest[tol::kTextSize], '#');
  EXPECT_STREQ(text.c_str(), "");
}
