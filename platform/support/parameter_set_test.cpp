#include "platform/support/parameter_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace comptab {
namespace {

ParameterSet parse(std::vector<const char*> words) {
  words.insert(words.begin(), "comptab.exe");
  return ParameterSet(static_cast<int>(words.size()), words.data());
}

// An option's value is absent before another option, but a negative number
// is a value; a lone "-" is a target word, "-x.sht" an unknown switch.
TEST(ParameterSet, ValuesTargetsAndDashWords) {
  ParameterSet set = parse({"-p:level", "-mode", "lf", "-output"});
  ASSERT_EQ(set.parameters().size(), 3u);
  EXPECT_FALSE(set.parameters()[0].value.has_value());
  EXPECT_EQ(set.parameters()[1].value, "lf");
  EXPECT_FALSE(set.parameters()[2].value.has_value());
  EXPECT_FALSE(set.target().has_value());
  set = parse({"-p:level", "-1", "-", "-x.sht"});
  ASSERT_EQ(set.parameters().size(), 2u);
  EXPECT_EQ(set.parameters()[0].value, "-1");
  EXPECT_EQ(set.target(), "-");
  EXPECT_EQ(set.parameters()[1].kind, Parameter::UnknownSwitch);
}

TEST(ParameterSet, ForeignFormsAndSurplusWords) {
  struct Case {
    const char* word;
    int kind;
  } cases[] = {{"-v", Parameter::UnknownSwitch}, {"--help", Parameter::LongOption}, {"-MODE", Parameter::Mode},
               {"-P:Destination", Parameter::Named}, {"-Output", Parameter::Output}, {"second.sht", Parameter::Surplus}};
  for (const Case& c : cases) {
    const ParameterSet set = parse({"first.sht", c.word});
    ASSERT_EQ(set.parameters().size(), 1u) << c.word;
    EXPECT_EQ(set.parameters()[0].kind, c.kind) << c.word;
    EXPECT_EQ(set.target(), "first.sht");
  }
  EXPECT_EQ(parse({"-P:Destination"}).parameters()[0].name, "Destination");
  EXPECT_EQ(parse({"-p:"}).parameters()[0].name, "");
}

}  // namespace
}  // namespace comptab
