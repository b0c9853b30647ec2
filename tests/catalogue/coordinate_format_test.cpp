#include "catalogue/coordinate_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "base/platform_error.h"

namespace karovel::catalogue {
namespace {

// Texts below are written with '.'; this puts the separator under test in.
std::string WithSeparator(std::string text, char sep) {
  for (char& c : text)
    if (c == '.') c = sep;
  return text;
}

class SeparatorTest : public ::testing::TestWithParam<char> {};
INSTANTIATE_TEST_SUITE_P(BothSeparators, SeparatorTest, ::testing::Values('.', ','));

TEST_P(SeparatorTest, MasksCarryTheSeparator) {
  const char sep = GetParam();
  CoordinateMasks masks = BuildCoordinateMasks(sep);
  EXPECT_EQ(masks.latitudeMasks[0], WithSeparator("99.99999999 G;1;0", sep));
  EXPECT_EQ(masks.latitudeMasks[1], WithSeparator("99 G 99.999999 M;1;0", sep));
  EXPECT_EQ(masks.latitudeMasks[2], WithSeparator("99 G 99 M 99.99 S;1;0", sep));
  EXPECT_EQ(masks.longitudeMasks[0], WithSeparator("999.99999999 G;1;0", sep));
  EXPECT_EQ(masks.longitudeMasks[1], WithSeparator("999 G 99.999999 M;1;0", sep));
  EXPECT_EQ(masks.longitudeMasks[2], WithSeparator("999 G 99 M 99.99 S;1;0", sep));
}

struct FormatCase {
  bool longitude;
  double degrees;
  int format;
  const char* text;  // with '.'
  int hemisphereItem;
};

class FormatExampleTest : public ::testing::TestWithParam<std::tuple<FormatCase, char>> {};

TEST_P(FormatExampleTest, GivesTheExactText) {
  const auto& [c, sep] = GetParam();
  CoordinateText t =
      c.longitude ? FormatLongitude(c.degrees, c.format, sep) : FormatLatitude(c.degrees, c.format, sep);
  EXPECT_EQ(t.text, WithSeparator(c.text, sep));
  EXPECT_EQ(t.hemisphereItem, c.hemisphereItem);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatExampleTest,
    ::testing::Combine(::testing::Values(FormatCase{false, 50.123456789, 0, "50.12345679 G", 0},
                                         FormatCase{false, 50.123456789, 1, "50 G 07.407407 M", 0},
                                         FormatCase{false, 50.123456789, 2, "50 G 07 M 24.44 S", 0},
                                         FormatCase{true, -122.4194, 0, "122.41940000 G", 1},
                                         FormatCase{true, -122.4194, 1, "122 G 25.164000 M", 1},
                                         FormatCase{true, -122.4194, 2, "122 G 25 M 09.84 S", 1},
                                         FormatCase{false, 0, 0, "00.00000000 G", 0},
                                         FormatCase{true, 0, 0, "000.00000000 G", 0},
                                         FormatCase{false, 0, 1, "00 G 00.000000 M", 0},
                                         FormatCase{true, 0, 2, "000 G 00 M 00.00 S", 0},
                                         FormatCase{false, -0.0, 0, "00.00000000 G", 0},
                                         // No carry of a rounded-up 60.
                                         FormatCase{false, 50.9999999999, 1, "50 G 60.000000 M", 0},
                                         FormatCase{false, 50.9999999999, 2, "50 G 59 M 60.00 S", 0},
                                         FormatCase{false, -90, 2, "90 G 00 M 00.00 S", 1},
                                         FormatCase{true, 180, 1, "180 G 00.000000 M", 0},
                                         FormatCase{false, -5.5, 0, "05.50000000 G", 1},
                                         // Beyond the masks the first characters are kept.
                                         FormatCase{false, 123.25, 0, "123.25000000 G", 0},
                                         FormatCase{false, 123.25, 1, "123 G 15.000000 M", 0},
                                         FormatCase{true, 1234.5, 2, "1234 G 30 M 00.0 S", 0}),
                       ::testing::Values('.', ',')));

TEST_P(SeparatorTest, ParsesSecondsWithTheSouthItem) {
  const char sep = GetParam();
  double v = ParseLatitude(WithSeparator("50 G 07 M 24.44 S", sep), 1, SecondsFormat, sep);
  EXPECT_EQ(v, -(50.0 + 7.0 / 60 + 24.44 / 3600));
}

TEST_P(SeparatorTest, ParsesEachFormatByItsCharacterPositions) {
  const char sep = GetParam();
  EXPECT_EQ(ParseLatitude(WithSeparator("50.12345679 G", sep), 0, 0, sep), 50.12345679);
  EXPECT_EQ(ParseLatitude(WithSeparator("50 G 07.407407 M", sep), 0, 1, sep), 50 + 7.407407 / 60);
  EXPECT_EQ(ParseLongitude(WithSeparator("122.41940000 G", sep), 1, 0, sep), -122.4194);
  EXPECT_EQ(ParseLongitude(WithSeparator("122 G 25.164000 M", sep), 1, 1, sep), -(122 + 25.164 / 60));
  EXPECT_EQ(ParseLongitude(WithSeparator("122 G 25 M 09.84 S", sep), 0, 2, sep),
            122 + 25.0 / 60 + 9.84 / 3600);
}

TEST_P(SeparatorTest, UnfilledPositionsReadAsZeros) {
  const char sep = GetParam();
  EXPECT_EQ(ParseLatitude(WithSeparator("5 .5         G", sep), 0, 0, sep), 50.5);
  EXPECT_EQ(ParseLongitude(WithSeparator("  7 G  3 M   .   S", sep), 0, 2, sep), 7 + 3.0 / 60);
}

TEST_P(SeparatorTest, NoRangeLimits) {
  const char sep = GetParam();
  EXPECT_EQ(ParseLatitude(WithSeparator("99 G 75 M 61.00 S", sep), 0, 2, sep), 99 + 75.0 / 60 + 61.0 / 3600);
  EXPECT_EQ(ParseLatitude(WithSeparator("50 G 60.000000 M", sep), 0, 1, sep), 51.0);
}

TEST(ApplyHemisphere, TheBoxDecidesTheSign) {
  EXPECT_EQ(ApplyHemisphere(50.5, 1), -50.5);
  EXPECT_EQ(ApplyHemisphere(-50.5, 1), -50.5);
  EXPECT_EQ(ApplyHemisphere(-50.5, 0), 50.5);
  EXPECT_EQ(ApplyHemisphere(50.5, 0), 50.5);
}

TEST(ParseCoordinate, TextWithoutANumberThrowsAReadableError) {
  try {
    ParseLatitude("5x.12345678 G", 0, 0, '.');
    FAIL() << "no exception";
  } catch (const PlatformError& e) {
    EXPECT_STREQ(e.what(), "'5x.12345678' is not a valid floating point value");
  }
  EXPECT_THROW(ParseLatitude("", 0, 0, '.'), PlatformError);
  EXPECT_THROW(ParseLongitude("12", 0, 1, '.'), PlatformError);  // the minutes range is empty
  // The other separator is not a decimal point.
  EXPECT_THROW(ParseLatitude("50.12345679 G", 0, 0, ','), PlatformError);
  EXPECT_THROW(ParseLatitude("50,12345679 G", 0, 0, '.'), PlatformError);
}

TEST(TextToFloat, AcceptsNumbersOnly) {
  EXPECT_EQ(TextToFloat("+2.5", '.'), 2.5);
  EXPECT_EQ(TextToFloat(" -0,25 ", ','), -0.25);
  EXPECT_EQ(TextToFloat("1e3", '.'), 1000.0);
  EXPECT_EQ(TextToFloat("007", '.'), 7.0);
  for (const char* bad : {"", " ", ".", "inf", "nan", "1e", "1e999", "++1", "1-2", "0x10", "1.2.3", "1 2"})
    EXPECT_THROW(TextToFloat(bad, '.'), PlatformError) << bad;
  try {
    TextToFloat("5x.1", '.');
  } catch (const PlatformError& e) {
    EXPECT_STREQ(e.what(), "'5x.1' is not a valid floating point value");
  }
}

TEST(FormatFixed, RoundsTheExactValueHalfAwayFromZero) {
  EXPECT_EQ(FormatFixed(0.125, 1, 2, '.'), "0.13");  // an exact tie
  EXPECT_EQ(FormatFixed(2.5, 1, 0, '.'), "3");
  EXPECT_EQ(FormatFixed(-2.5, 1, 0, '.'), "-3");
  EXPECT_EQ(FormatFixed(1.005, 1, 2, '.'), "1.00");  // 1.00499999999999989...
  EXPECT_EQ(FormatFixed(99.5, 2, 0, '.'), "100");
  EXPECT_EQ(FormatFixed(9.9999999999, 2, 6, ','), "10,000000");
  EXPECT_EQ(FormatFixed(0.1, 1, 20, '.'), "0.10000000000000000555");
  EXPECT_EQ(FormatFixed(1e22, 2, 0, '.'), "10000000000000000000000");
  EXPECT_EQ(FormatFixed(5e-324, 2, 2, '.'), "00.00");
  EXPECT_EQ(FormatFixed(-0.001, 1, 2, '.'), "0.00");
  EXPECT_EQ(FormatFixed(7, 3, 0, '.'), "007");
  EXPECT_EQ(FormatFixed(INFINITY, 2, 2, '.'), "inf");
  EXPECT_EQ(FormatFixed(NAN, 2, 2, '.'), "nan");
}

TEST(FormatFixedSignificant, RoundsOnceAtTheFewerPlaces) {
  EXPECT_EQ(FormatFixedSignificant(5.72253, 4, 2, '.'), "5.72");
  EXPECT_EQ(FormatFixedSignificant(1.234542, 4, 2, '.'), "1.23");  // not 1.235 first, then 1.24
  EXPECT_EQ(FormatFixedSignificant(9536.74, 4, 2, ','), "9537,00");
  EXPECT_EQ(FormatFixedSignificant(123456.0, 4, 2, '.'), "123500.00");
  EXPECT_EQ(FormatFixedSignificant(999.96, 4, 2, '.'), "1000.00");
  EXPECT_EQ(FormatFixedSignificant(0.00049, 4, 2, '.'), "0.00");
  EXPECT_EQ(FormatFixedSignificant(0, 4, 2, '.'), "0.00");
}

struct CursorCase {
  bool longitude;
  double degrees;
  int format;
  const char* text;  // with '.'
};

class CursorTest : public ::testing::TestWithParam<std::tuple<CursorCase, char>> {};

TEST_P(CursorTest, GivesTheStatusText) {
  const auto& [c, sep] = GetParam();
  std::string text = c.longitude ? FormatCursorLongitude(c.degrees, c.format, sep)
                                 : FormatCursorLatitude(c.degrees, c.format, sep);
  EXPECT_EQ(text, WithSeparator(c.text, sep));
}

INSTANTIATE_TEST_SUITE_P(Examples, CursorTest,
                         ::testing::Combine(::testing::Values(CursorCase{false, 12.5125, 2, "12 30'45.0\" N"},
                                                              CursorCase{false, 12.5125, 1, "12 30.7500 N"},
                                                              CursorCase{false, 12.5125, 0, "12.51250 N"},
                                                              CursorCase{false, 0, 0, "00.00000 S"},
                                                              CursorCase{true, 0, 0, "00.00000 W"},
                                                              CursorCase{true, 0, 2, "0 0'00.0\" W"},
                                                              CursorCase{false, -0.5, 1, "0 30.0000 S"},
                                                              CursorCase{true, -122.4194, 2,
                                                                         "122 25'09.8\" W"},
                                                              CursorCase{true, 8.000001, 0, "08.00000 E"}),
                                            ::testing::Values('.', ',')));

// Formatting then parsing gives the value at the format's resolution.
TEST(CoordinateRoundTrip, ParsingTheFormattedTextGivesTheRoundedValue) {
  const double resolution[3] = {1e-8, 1e-6 / 60, 0.01 / 3600};
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
  for (int i = 0; i < 4000; ++i) {
    const double v[2] = {lat(random), lon(random)};
    for (int axis = 0; axis < 2; ++axis) {
      for (int format = 0; format < 3; ++format) {
        for (char sep : {'.', ','}) {
          CoordinateText t =
              axis ? FormatLongitude(v[axis], format, sep) : FormatLatitude(v[axis], format, sep);
          double back = axis ? ParseLongitude(t.text, t.hemisphereItem, format, sep)
                             : ParseLatitude(t.text, t.hemisphereItem, format, sep);
          ASSERT_LE(std::fabs(back - v[axis]), resolution[format] / 2 + 1e-12)
              << v[axis] << " format " << format << " text " << t.text;
        }
      }
    }
  }
}

}  // namespace
}  // namespace karovel::catalogue
