#include "decode/core/dequant_tables.h"

#include <cmath>

TOL_NS_BEGIN

const double kQuantiserScales[16] = {1.0, 4.0 / 3, 5.0 / 3, 2, 8.0 / 3, 3.5, 4, 5, 6, 8, 12, 17, 22, 28, 34, 44};

const uint8_t kIntraBaseMatrix[64] = {16, 16, 16, 19, 16, 19, 22, 22, 22, 22, 26, 24, 26, 22, 22, 27,
                                      27, 27, 26, 26, 26, 29, 29, 29, 27, 27, 27, 26, 34, 34, 34, 29,
                                      29, 29, 27, 27, 37, 34, 34, 32, 32, 29, 29, 38, 37, 35, 35, 34,
                                      35, 40, 40, 40, 38, 38, 48, 48, 46, 46, 58, 56, 56, 69, 69, 83};

const uint8_t kInterBaseMatrix[64] = {16, 17, 17, 18, 18, 18, 19, 19, 19, 19, 20, 20, 20, 20, 20, 21,
                                      21, 21, 21, 21, 21, 22, 22, 22, 22, 22, 22, 22, 23, 23, 23, 23,
                                      23, 23, 23, 23, 24, 24, 24, 25, 24, 24, 24, 25, 26, 26, 26, 26,
                                      25, 27, 27, 27, 27, 27, 28, 28, 28, 28, 30, 30, 30, 31, 31, 33};

const DequantException kIntraExceptions[46] = {
    {5, 33},  {6, 48},  {6, 53},  {7, 10},  {7, 21},  {7, 42},  {9, 8},   {9, 24},  {9, 35},  {10, 25},
    {10, 48}, {11, 2},  {11, 6},  {11, 20}, {11, 24}, {11, 28}, {11, 33}, {11, 35}, {12, 37}, {12, 40},
    {12, 51}, {12, 59}, {13, 2},  {13, 11}, {13, 12}, {13, 20}, {13, 29}, {13, 31}, {13, 48}, {13, 60},
    {14, 1},  {14, 10}, {14, 11}, {14, 17}, {14, 18}, {14, 19}, {14, 21}, {14, 25}, {14, 26}, {14, 29},
    {14, 42}, {15, 21}, {15, 42}, {15, 44}, {15, 46}, {15, 48}};

const DequantException kInterExceptions[38] = {
    {0, 18},  {1, 27},  {3, 33},  {4, 34},  {7, 18},  {8, 33},  {9, 34},  {9, 61},  {10, 3},  {10, 37},
    {10, 40}, {11, 13}, {11, 16}, {11, 18}, {11, 20}, {11, 25}, {11, 43}, {12, 14}, {12, 19}, {12, 26},
    {12, 30}, {12, 33}, {13, 43}, {13, 48}, {13, 49}, {14, 10}, {14, 19}, {14, 22}, {14, 26}, {14, 33},
    {14, 54}, {15, 12}, {15, 17}, {15, 22}, {15, 25}, {15, 27}, {15, 41}, {15, 55}};

namespace {

void fill(int32_t (&table)[16][64], const uint8_t (&base)[64], const DequantException* exceptions, int count) {
  const double pi = std::acos(-1.0);
  double a[8];
  a[0] = 1.0;
  for (int k = 1; k < 8; ++k) a[k] = std::sqrt(2.0) * std::cos(k * pi / 16);
  for (int q = 0; q < 16; ++q)
    for (int pos = 0; pos < 64; ++pos)
      table[q][pos] = static_cast<int32_t>(
          std::floor(base[pos] * a[pos / 8] * a[pos % 8] * 4096.0 * kQuantiserScales[q] + 0.5));
  for (int i = 0; i < count; ++i) table[exceptions[i].q][exceptions[i].pos] += 1;
}

DequantTables build() {
  DequantTables t{};
  fill(t.intra, kIntraBaseMatrix, kIntraExceptions, 46);
  fill(t.inter, kInterBaseMatrix, kInterExceptions, 38);
  return t;
}

}  // namespace

const DequantTables& dequantTables() {
  static const DequantTables tables = build();
  return tables;
}

TOL_NS_END
