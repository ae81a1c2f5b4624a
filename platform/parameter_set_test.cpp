#include "platform/parameter_set.h"

#include <gtest/gtest.h>

#include <vector>

namespace comptab {
namespace {

ParameterSet parse(std::vector<const char*> words) {
  words.insert(words.begin(), "comptab.exe");
  return ParameterSet(static_cast<int>(words.size()), words.data());
}

TEST(ParameterSet, ClassifiesEachWordInOrder) {
  const ParameterSet set = parse({"-p:resource", "list.rsc", "-output", "bom.txt", "-mode", "force", "-V", "board.sht"});
  ASSERT_EQ(set.parameters().size(), 4u);
  const auto& p = set.parameters();
  EXPECT_EQ(p[0].kind, Parameter::Named);
  EXPECT_EQ(p[0].name, "resource");
  EXPECT_EQ(p[0].value, "list.rsc");
  EXPECT_EQ(p[1].kind, Parameter::Output);
  EXPECT_EQ(p[1].value, "bom.txt");
  EXPECT_EQ(p[2].kind, Parameter::Mode);
  EXPECT_EQ(p[2].value, "force");
  EXPECT_EQ(p[3].kind, Parameter::Version);
  EXPECT_EQ(set.target(), "board.sht");
}

TEST(ParameterSet, ValuesAreAbsentBeforeAnotherOption) {
  const ParameterSet set = parse({"-p:level", "-mode", "lf", "-output"});
  ASSERT_EQ(set.parameters().size(), 3u);
  EXPECT_FALSE(set.parameters()[0].value.has_value());
  EXPECT_EQ(set.parameters()[1].value, "lf");
  EXPECT_FALSE(set.parameters()[2].value.has_value());
  EXPECT_FALSE(set.target().has_value());
}

TEST(ParameterSet, NumbersAndDashWordsThatAreNotOptions) {
  const ParameterSet set = parse({"-p:level", "-1", "-", "-x.sht"});
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
