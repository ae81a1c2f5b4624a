#include "kicadbom/bom_text.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(BomText, NaturalOrderOfReferences) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"R2", "R10", -1}, {"R10", "R9", 1},  {"c4", "C3", 1},   {"c4", "C20", -1}, {"R1", "r1", 0},
      {"R?", "R31", 1},  {"FID?", "J?", -1}, {"R007", "R5", 1}, {"R01", "R1", 0},  {"R1", "R1A", -1},
      {"PWR1", "R01", -1}, {"U1", "U1", 0},  {"", "R1", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(sign(naturalCompare(c.a, c.b, true)), c.expected) << c.a << " " << c.b;
  EXPECT_EQ(sign(naturalCompare("R1", "r1", false)), -1);
}

// Orders and ties KiCad 10.0.7 printed when sorting by Value.
TEST(BomText, ValueOrder) {
  const char* ascending[] = {"100n", "1u", "10u", "5k \"A\"", "22R", "100R", "1,5k", "2.2k", "4k7", "10k", "33k",
                             "47k",  "1M", "NAND2"};
  for (size_t i = 0; i + 1 < std::size(ascending); ++i)
    EXPECT_LT(valueCompare(ascending[i], ascending[i + 1]), 0) << ascending[i] << " " << ascending[i + 1];
  EXPECT_LT(valueCompare("RC0603-10K-B", "RC0603-10K"), 0);  // "K-B" is no unit: 10 against 10000
  const char* ties[][2] = {{"10k", "10K"},         {"1k", "1000"},
                           {"1.000k", "1K0"},      {"01k", "1000R"},               {"1000.0", "1.00k"}};
  for (const auto& t : ties) EXPECT_EQ(valueCompare(t[0], t[1]), 0) << t[0] << " " << t[1];
  EXPECT_LT(valueCompare("", "-- mixed values --"), 0);
  EXPECT_LT(valueCompare("-- mixed values --", "GRM188"), 0);
  EXPECT_LT(valueCompare("GRM188", "RC0603-10K"), 0);
  EXPECT_LT(valueCompare("4.7\u00B5F", "10uF"), 0);  // micro sign as a prefix
  EXPECT_GT(valueCompare("1,000,000", "999"), 0);    // thousands separators
}

TEST(BomText, SplitReferences) {
  struct Case {
    const char* ref;
    const char* prefix;
    const char* digits;
    long number;
  } cases[] = {
      {"R12", "R", "12", 12}, {"R?", "R", "?", -1},     {"FID", "FID", "?", -1}, {"R01", "R", "01", 1},
      {"TP1a", "TP1a", "?", -1}, {"123", "123", "?", -1}, {"U1", "U", "1", 1},   {"", "", "?", -1},
  };
  for (const Case& c : cases) {
    const SplitReference s = splitReference(c.ref);
    EXPECT_EQ(s.prefix, c.prefix) << c.ref;
    EXPECT_EQ(s.digits, c.digits) << c.ref;
    EXPECT_EQ(s.number, c.number) << c.ref;
  }
}

TEST(BomText, ReferenceRanges) {
  struct Case {
    std::vector<const char*> refs;
    const char* delimiter;
    const char* range;
    const char* expected;
  } cases[] = {
      {{"R1", "R2", "R3", "R4", "R20", "R30"}, ",", "-", "R1-R4,R20,R30"},
      {{"R1", "R2"}, ",", "-", "R1,R2"},
      {{"R1", "R2", "R3"}, " ", "..", "R1..R3"},
      {{"R1", "R2", "R3"}, ";", "", "R1;R2;R3"},
      {{"R01", "R02", "R03", "R5"}, ",", "-", "R01-R03,R5"},
      {{"R?", "R?"}, ",", "-", "R?,R?"},
      {{"C3", "c4", "R4"}, ",", "-", "C3,c4,R4"},
      {{}, ",", "-", ""},
  };
  for (const Case& c : cases) {
    std::vector<SplitReference> splits;
    for (const char* r : c.refs) splits.push_back(splitReference(r));
    std::vector<const SplitReference*> pointers;
    for (const SplitReference& s : splits) pointers.push_back(&s);
    EXPECT_EQ(referenceRanges(pointers, c.delimiter, c.range), c.expected);
  }
}

TEST(BomText, UnitLettersAndWildcards) {
  EXPECT_EQ(unitLetter(1), "A");
  EXPECT_EQ(unitLetter(26), "Z");
  EXPECT_EQ(unitLetter(27), "AA");
  EXPECT_EQ(unitLetter(0), "");
  struct Case {
    const char* pattern;
    const char* text;
    bool found;
  } cases[] = {
      {"r1", "r14", true},   {"r1*", "r1", true},   {"*0*", "c20", true}, {"u?", "u1a", true},
      {"u1a", "u1a", true},  {"r1 r2", "r1", false}, {"c*", "r1", false}, {"1?", "r1", false},
      {"a*b*c", "xaybzc", true}, {"a*b*c", "xaybz", false}, {"", "r1", true}, {"?", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(wildcardFound(c.pattern, c.text), c.found) << c.pattern << " " << c.text;
}

}  // namespace
}  // namespace comptab
