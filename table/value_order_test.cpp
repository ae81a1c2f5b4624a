#include "table/value_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/support/name_order.h"

namespace comptab {
namespace {

TEST(ValueOrder, RecognisedValues) {
  struct Case {
    const char* text;
    double value;  // 0: not a value
  };
  const Case cases[] = {
      {"10k", 1e4},    {"10K", 1e4},      {"10000", 1e4},     {"4k7", 4700},         {"4.7k", 4700},
      {"4k7Ω", 4700},  {"4.7kΩ", 4700},   {"2.2 kΩ", 2200},   {"0R1", 0.1},          {"10R", 10},
      {"2M2", 2.2e6},  {"1M", 1e6},       {"1m", 1e-3},       {"100n", 1e-7},        {"100nF", 1e-7},
      {"1u", 1e-6},    {"1U", 1e-6},      {"1µF", 1e-6},      {"1\u03bcF", 1e-6},    {"10uH", 1e-5},
      {"47p", 47e-12}, {"1F", 1},         {"1\u2126", 1},     {".5", 0.5},           {"5.", 5},
      {"3G3", 3.3e9},  {"1T", 1e12},      {"1u0", 1e-6},
      {"1N4148", 0},   {"2N2222", 0},     {"LM358", 0},       {"10k 1%", 0},         {"", 0},
      {"k", 0},        {"R1", 0},         {"4k7k", 0},        {"1.2.3", 0},          {"1e3", 0},
      {"10uF25V", 0},  {"4R7Ω", 0},       {"-5", 0},
  };
  for (const Case& c : cases) {
    const std::optional<double> value = electricalValue(c.text);
    if (c.value == 0) {
      EXPECT_FALSE(value) << c.text;
    } else {
      ASSERT_TRUE(value) << c.text;
      EXPECT_DOUBLE_EQ(*value, c.value) << c.text;
    }
  }
}

// A value written with its exact magnitude, mantissa times ten to the
// exponent, in one of the spellings designers use.
struct Written {
  std::string text;
  long mantissa;
  int exponent;
};

Written randomValue(std::mt19937& random) {
  struct Prefix {
    const char* text;
    int exponent;
  };
  static const Prefix prefixes[] = {{"p", -12}, {"n", -9}, {"u", -6}, {"µ", -6}, {"m", -3}, {"", 0},
                                     {"k", 3},   {"K", 3},  {"M", 6},  {"G", 9}};
  static const char* units[] = {"", "F", "H", "Ω", "R"};
  const long mantissa = std::uniform_int_distribution<long>(0, 99999)(random);
  const int decimals = std::uniform_int_distribution<int>(0, 3)(random);
  const Prefix& prefix = prefixes[std::uniform_int_distribution<size_t>(0, std::size(prefixes) - 1)(random)];
  const char* unit = units[std::uniform_int_distribution<size_t>(0, std::size(units) - 1)(random)];
  long scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::string whole = std::to_string(mantissa / scale);
  std::string fraction = std::to_string(mantissa % scale);
  fraction.insert(0, static_cast<size_t>(decimals) - std::min(fraction.size(), static_cast<size_t>(decimals)), '0');
  if (decimals == 0) fraction.clear();
  std::string text;
  const int style = std::uniform_int_distribution<int>(0, 2)(random);
  if (style == 1 && decimals > 0 && *prefix.text != '\0') {
    text = whole + prefix.text + fraction + unit;  // 4k7
  } else if (style == 2 && decimals > 0 && *prefix.text == '\0') {
    text = whole + "R" + fraction;  // 4R7
  } else {
    text = whole + (decimals > 0 ? "." + fraction : "") + prefix.text + unit;
  }
  return {text, mantissa, prefix.exponent - decimals};
}

// The sign of m1 * 10^e1 - m2 * 10^e2, exactly.
int exactCompare(long m1, int e1, long m2, int e2) {
  if (m1 == 0 || m2 == 0) return (m1 != 0) - (m2 != 0);
  while (m1 % 10 == 0) m1 /= 10, ++e1;
  while (m2 % 10 == 0) m2 /= 10, ++e2;
  std::string d1 = std::to_string(m1), d2 = std::to_string(m2);
  const long order1 = static_cast<long>(d1.size()) + e1, order2 = static_cast<long>(d2.size()) + e2;
  if (order1 != order2) return order1 < order2 ? -1 : 1;
  d1.resize(std::max(d1.size(), d2.size()), '0');
  d2.resize(d1.size(), '0');
  return d1.compare(d2) < 0 ? -1 : d1.compare(d2) > 0 ? 1 : 0;
}

int sign(int c) { return (c > 0) - (c < 0); }

// Generated values order as their magnitudes do, equal magnitudes by their
// natural order; mixed with texts that are not values, the order is total.
TEST(ValueOrder, AgreesWithMagnitudeAndIsTotal) {
  std::mt19937 random(20261206);
  std::vector<Written> values;
  for (int i = 0; i < 2000; ++i) values.push_back(randomValue(random));
  for (size_t i = 0; i + 1 < values.size(); ++i) {
    const Written& a = values[i];
    const Written& b = values[(i * 7919 + 13) % values.size()];
    ASSERT_TRUE(electricalValue(a.text)) << a.text;
    const int exact = exactCompare(a.mantissa, a.exponent, b.mantissa, b.exponent);
    const int expected = exact != 0 ? exact : sign(compareNames(a.text, b.text));
    ASSERT_EQ(sign(compareElectrical(a.text, b.text)), expected) << a.text << " vs " << b.text;
  }

  std::vector<std::string> texts;
  for (size_t i = 0; i < 300; ++i) texts.push_back(values[i].text);
  for (const char* other : {"LM358", "1N4148", "10k 1%", "", "R1", "r1", "DNP", "10k", "10K", "10000"})
    texts.emplace_back(other);
  for (const std::string& a : texts) {
    ASSERT_EQ(compareElectrical(a, a), 0);
    for (const std::string& b : texts) {
      ASSERT_EQ(sign(compareElectrical(a, b)), -sign(compareElectrical(b, a))) << a << " vs " << b;
      if (a != b) {
        ASSERT_NE(compareElectrical(a, b), 0) << a << " vs " << b;
      }
    }
  }
  std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) { return compareElectrical(a, b) < 0; });
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size(); ++j) {
      ASSERT_LT(compareElectrical(texts[i], texts[j]), 0) << texts[i] << " before " << texts[j];
    }
  }
}

TEST(ValueMeaning, SpellingsOfOneValueMeanTheSame) {
  const std::vector<std::vector<const char*>> same = {
      {"10K", "10k", "10000", "10 kΩ", "10kΩ", "10.0k", "10K0"},
      {"4K7", "4.7k", "4,7K", "4700", "4k7Ω", "4,7 k"},
      {"100n", "0.1u", "0,1µ", "100nF", "0.1uF", "100000p"},
      {"0R1", "0.1", "0,1R", "100m"},
  };
  for (const auto& group : same)
    for (const char* text : group) {
      ASSERT_TRUE(valueMeaning(text)) << text;
      EXPECT_EQ(*valueMeaning(text), *valueMeaning(group.front())) << text << " vs " << group.front();
    }
  for (size_t a = 0; a < same.size(); ++a)
    for (size_t b = a + 1; b < same.size(); ++b) EXPECT_NE(*valueMeaning(same[a][0]), *valueMeaning(same[b][0]));
  // Not values: they fold only with their own spelling.
  for (const char* text : {"LM358", "1N4148", "10k 1%", "1,2,3", "1,2.3", "1.2,3", ",5", "5,", "10k,", "DNP", ""})
    EXPECT_FALSE(valueMeaning(text)) << text;
}

// Folding by meaning agrees with the value order: two generated spellings
// fold exactly when their magnitudes are equal, which is when the order
// puts them side by side as equal magnitudes; a decimal comma means what
// the point does.
TEST(ValueMeaning, AgreesWithTheValueOrder) {
  std::mt19937 random(20261207);
  std::vector<Written> values;
  for (int i = 0; i < 3000; ++i) values.push_back(randomValue(random));
  for (size_t i = 0; i < values.size(); ++i) {
    const Written& a = values[i];
    const Written& b = values[(i * 7919 + 13) % values.size()];
    const bool sameMagnitude = exactCompare(a.mantissa, a.exponent, b.mantissa, b.exponent) == 0;
    ASSERT_EQ(*valueMeaning(a.text) == *valueMeaning(b.text), sameMagnitude) << a.text << " vs " << b.text;
    ASSERT_EQ(*valueMeaning(a.text) == *valueMeaning(b.text), *electricalValue(a.text) == *electricalValue(b.text))
        << a.text << " vs " << b.text;
    std::string comma = a.text;
    if (const size_t point = comma.find('.'); point != std::string::npos && point > 0) {
      comma[point] = ',';
      ASSERT_TRUE(valueMeaning(comma)) << comma;
      ASSERT_EQ(*valueMeaning(comma), *valueMeaning(a.text)) << comma;
    }
  }
  // Sorted by the value order, the texts of one meaning stand together.
  std::vector<std::string> texts;
  for (size_t i = 0; i < 400; ++i) texts.push_back(values[i].text);
  for (const char* extra : {"10k", "10K", "10000", "4k7", "4700", "100n", "0.1u"}) texts.emplace_back(extra);
  std::sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return compareElectrical(a, b) < 0; });
  for (size_t i = 0; i + 2 < texts.size(); ++i)
    if (*valueMeaning(texts[i]) == *valueMeaning(texts[i + 2])) {
      ASSERT_EQ(*valueMeaning(texts[i]), *valueMeaning(texts[i + 1])) << texts[i] << " .. " << texts[i + 2];
    }
}

}  // namespace
}  // namespace comptab
