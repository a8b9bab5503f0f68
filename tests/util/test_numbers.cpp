// Decimal text in and out, elapsed times, fractions and frame rates.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "util/numbers.h"
#include "util/rates.h"

namespace {

std::string itoa32(uint32_t v) {
  char buf[tol::kU32toaSize];
  char* end = tol::u32toa(buf, v);
  EXPECT_EQ(end, buf + std::strlen(buf));
  return buf;
}

std::string commas(uint32_t v) {
  char buf[tol::kCommaNumSize];
  tol::CommaNum(buf, v);
  return buf;
}

std::string elapsed(uint32_t ms) {
  char buf[tol::kElapsedTimeSize];
  EXPECT_EQ(tol::GetElapsedTime(buf, ms), buf);
  return buf;
}

std::pair<int32_t, int32_t> reduced(int32_t a, int32_t b) {
  tol::GCDNums(&a, &b);
  return {a, b};
}

}  // namespace

TEST(U32toa, WritesTheSigned32BitValue) {
  EXPECT_EQ(itoa32(0), "0");
  EXPECT_EQ(itoa32(123), "123");
  EXPECT_EQ(itoa32(INT32_MAX), "2147483647");
  EXPECT_EQ(itoa32(0x80000000u), "-2147483648");
  EXPECT_EQ(itoa32(0xFFFFFFFFu), "-1");
}

TEST(Atou32, ReadsAfterWhiteSpaceAndSign) {
  EXPECT_EQ(tol::atou32("  -42x"), -42);
  EXPECT_EQ(tol::atou32("+7"), 7);
  EXPECT_EQ(tol::atou32("\t\n\v\f\r 12"), 12);
  EXPECT_EQ(tol::atou32("abc"), 0);
  EXPECT_EQ(tol::atou32(""), 0);
  EXPECT_EQ(tol::atou32("- 5"), 0);
  EXPECT_EQ(tol::atou32(nullptr), 0);
}

TEST(Atou32, RoundTripsWithU32toaAndWrapsBeyond32Bits) {
  for (uint32_t v : {0u, 1u, 99u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 123456789u})
    EXPECT_EQ(static_cast<uint32_t>(tol::atou32(itoa32(v).c_str())), v);
  EXPECT_EQ(tol::atou32("4294967295"), -1);
  EXPECT_EQ(tol::atou32("4294967296"), 0);
}

TEST(CommaNum, GroupsOfThreeFromTheRight) {
  EXPECT_EQ(commas(0), "0");
  EXPECT_EQ(commas(999), "999");
  EXPECT_EQ(commas(1000), "1,000");
  EXPECT_EQ(commas(100000), "100,000");
  EXPECT_EQ(commas(1234567), "1,234,567");
  EXPECT_EQ(commas(0xFFFFFFFFu), "4,294,967,295");
}

TEST(GetElapsedTime, PicksTheUnitAndThePlural) {
  EXPECT_EQ(elapsed(0), "0 milliseconds");
  EXPECT_EQ(elapsed(1), "1 millisecond");
  EXPECT_EQ(elapsed(999), "999 milliseconds");
  EXPECT_EQ(elapsed(1000), "1 second");
  EXPECT_EQ(elapsed(1999), "1 second");
  EXPECT_EQ(elapsed(2000), "2 seconds");
  EXPECT_EQ(elapsed(60000), "1 minute 0 seconds");
  EXPECT_EQ(elapsed(61500), "1 minute 1 second");
  EXPECT_EQ(elapsed(125000), "2 minutes 5 seconds");
  EXPECT_EQ(elapsed(3599999), "59 minutes 59 seconds");
  EXPECT_EQ(elapsed(3600000), "1 hour 0 minutes");
  EXPECT_EQ(elapsed(7260000), "2 hours 1 minute");
  EXPECT_EQ(elapsed(0xFFFFFFFFu), "1193 hours 2 minutes");
}

TEST(GCDNums, ReducesKeepingSigns) {
  EXPECT_EQ(reduced(60, 48), std::make_pair(5, 4));
  EXPECT_EQ(reduced(-60, 48), std::make_pair(-5, 4));
  EXPECT_EQ(reduced(60, -48), std::make_pair(5, -4));
  EXPECT_EQ(reduced(2997, 100), std::make_pair(2997, 100));
  EXPECT_EQ(reduced(7, 7), std::make_pair(1, 1));
  EXPECT_EQ(reduced(INT32_MIN, INT32_MIN), std::make_pair(-1, -1));
  EXPECT_EQ(reduced(INT32_MIN, 6), std::make_pair(INT32_MIN / 2, 3));
}

TEST(GCDNums, LeavesZeroAlone) {
  EXPECT_EQ(reduced(0, 5), std::make_pair(0, 5));
  EXPECT_EQ(reduced(10, 0), std::make_pair(10, 0));
  int32_t a = 4;
  tol::GCDNums(&a, nullptr);
  EXPECT_EQ(a, 4);
}

TEST(MakeFrameRate, TurnsTimesAndRatesIntoHundredthsOfFramesPerSecond) {
  EXPECT_EQ(tol::MakeFrameRate(0), 0);
  EXPECT_EQ(tol::MakeFrameRate(1), 100000);
  EXPECT_EQ(tol::MakeFrameRate(66), 1515);       // 66 ms per frame
  EXPECT_EQ(tol::MakeFrameRate(100000), 5);      // the lower bound
  EXPECT_EQ(tol::MakeFrameRate(-30), 3000);      // 30 frames per second
  EXPECT_EQ(tol::MakeFrameRate(-1500), 150000);
  EXPECT_EQ(tol::MakeFrameRate(-1501), 1501);    // already in hundredths
  EXPECT_EQ(tol::MakeFrameRate(-2997), 2997);
  EXPECT_EQ(tol::MakeFrameRate(INT32_MIN), INT32_MAX);
}
