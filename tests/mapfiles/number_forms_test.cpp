#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <ostream>
#include <string>

#include "mapfiles/map_file.h"

namespace karovel::mapfiles {
namespace {

struct Form {
  double value;
  const char* text;
};

// Names the test cases by their expected text.
void PrintTo(const Form& form, std::ostream* out) { *out << '"' << form.text << '"'; }

class RealForm : public ::testing::TestWithParam<Form> {};

TEST_P(RealForm, Renders) {
  EXPECT_EQ(RealText(GetParam().value), GetParam().text);
  EXPECT_EQ(RealText(GetParam().value).size(), 23u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RealForm,
    ::testing::Values(Form{30.0, " 3.00000000000000E+0001"}, Form{-0.001, "-1.00000000000000E-0003"},
                      Form{0.0, " 0.00000000000000E+0000"}, Form{-0.0, " 0.00000000000000E+0000"},
                      Form{50.0, " 5.00000000000000E+0001"}, Form{0.001, " 1.00000000000000E-0003"},
                      // 1/3 and 2/3: plain rounding at the 15th digit.
                      Form{1.0 / 3, " 3.33333333333333E-0001"}, Form{2.0 / 3, " 6.66666666666667E-0001"},
                      // Carry through all nines into the exponent.
                      Form{9.999999999999999, " 1.00000000000000E+0001"},
                      // Exact ties in binary: half up, not half even.
                      Form{1000000000000005.0, " 1.00000000000001E+0015"},
                      Form{-1000000000000005.0, "-1.00000000000001E+0015"},
                      Form{1000000000000015.0, " 1.00000000000002E+0015"},
                      Form{12345678901234.25, " 1.23456789012343E+0013"},
                      Form{1e300, " 1.00000000000000E+0300"}, Form{5e-324, " 4.94065645841247E-0324"},
                      Form{-122.4194, "-1.22419400000000E+0002"}));

class FixedForm : public ::testing::TestWithParam<Form> {};

TEST_P(FixedForm, Renders) { EXPECT_EQ(FixedText(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Values, FixedForm,
    ::testing::Values(Form{50.12345678, "50.12345678"}, Form{5.5, " 5.50000000"},
                      Form{-122.4194, "-122.41940000"}, Form{0.0, " 0.00000000"}, Form{-0.0, " 0.00000000"},
                      Form{-5.5, "-5.50000000"}, Form{49.5, "49.50000000"}, Form{-0.000000001, " 0.00000000"},
                      Form{0.000000006, " 0.00000001"},
                      // 2^-9 = 0.001953125 exactly: a tie, rounded up.
                      Form{0.001953125, " 0.00195313"}, Form{-0.001953125, "-0.00195313"},
                      Form{99.999999999, "100.00000000"}, Form{1234567.5, "1234567.50000000"}));

TEST(IntegerForm, SignAndDigitsOnly) {
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(IntegerText(1000), "1000");
  EXPECT_EQ(IntegerText(-7), "-7");
  EXPECT_EQ(IntegerText(INT32_MIN), "-2147483648");
}

TEST(NumberForms, IgnoreTheLocale) {
  // A comma locale, when the machine has one, must not change the separator.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  bool comma = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      comma = true;
      break;
    }
  EXPECT_EQ(FixedText(5.5), " 5.50000000");
  EXPECT_EQ(RealText(-0.001), "-1.00000000000000E-0003");
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_SKIP() << "no comma locale installed";
}

TEST(WithDefaultExtension, AddsOnlyWhenTheNameHasNone) {
  EXPECT_EQ(WithDefaultExtension("/home/u/maps", "*.gmap"), "/home/u/maps.gmap");
  EXPECT_EQ(WithDefaultExtension("/home/u/maps", ".gmap"), "/home/u/maps.gmap");
  EXPECT_EQ(WithDefaultExtension("/home/u/maps.gmap", "*.gmap"), "/home/u/maps.gmap");
  EXPECT_EQ(WithDefaultExtension("/home/u/maps.txt", "*.gmap"), "/home/u/maps.txt");
  // A dot in a folder name is not the file's extension.
  EXPECT_EQ(WithDefaultExtension("/home/u.v/maps", "*.gmap"), "/home/u.v/maps.gmap");
  EXPECT_EQ(WithDefaultExtension("C:\\a.b\\maps", "*.gmap"), "C:\\a.b\\maps.gmap");
  EXPECT_EQ(WithDefaultExtension("", "*.gmap"), "");
}

TEST(ValueAfterKey, FirstOccurrenceAnywhereExactCase) {
  EXPECT_EQ(ValueAfterKey("Path=", "Path=C:\\maps\\valley.jpg"), "C:\\maps\\valley.jpg");
  EXPECT_EQ(ValueAfterKey("Path=", "xPath=C:\\a.jpg"), "C:\\a.jpg");
  EXPECT_EQ(ValueAfterKey("Path=", "Path=a Path=b"), "a Path=b");
  EXPECT_EQ(ValueAfterKey("Wexaname=", "Wexaname= two words "), " two words ");
  EXPECT_EQ(ValueAfterKey("Path=", "path=C:\\a.jpg"), "");
}

}  // namespace
}  // namespace karovel::mapfiles
