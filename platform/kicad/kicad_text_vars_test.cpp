// Expanding "${NAME}": nested values expanded in turn as deep as KiCad goes
// and no deeper, names holding braces, texts that only look like variables,
// and a text that names itself kept from growing without end.
#include "platform/kicad/kicad_text_vars.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

// V1 holds "${V2}", V2 "${V3}" and so on to V12, which holds "end".
bool chain(std::string_view name, std::string& value) {
  if (name.size() < 2 || name[0] != 'V') return false;
  const int n = std::stoi(std::string(name.substr(1)));
  value = n < 12 ? "${V" + std::to_string(n + 1) + "}" : "end";
  return true;
}

TEST(KicadTextVarsTest, ExpandsAsKicadDoes) {
  const KicadVarLookup lookup = [](std::string_view name, std::string& value) {
    if (name == "A")
      value = "${B}!";
    else if (name == "B")
      value = "b";
    else if (name == "EMPTY")
      value = "";
    else if (name == "X{Y}")
      value = "braced";
    else if (name == "DOLLAR")
      value = "$";
    else if (name.starts_with('V'))
      return chain(name, value);
    else
      return false;
    return true;
  };
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"x ${A} y", "x b! y"},
      {"${A}${B}", "b!b"},
      {"${Q} stays", "${Q} stays"},
      {"${}", "${}"},
      {"$ {A} and $A", "$ {A} and $A"},
      {"open ${A", "open ${A"},
      {"${A} then open ${B", "b! then open ${B"},
      {"[${EMPTY}]", "[]"},
      {"${X{Y}}", "braced"},
      {"$${B}", "$b"},
      {"${DOLLAR}{B}", "b"},  // made by one pass, expanded by the next
      // Ten passes: V3 needs ten more to reach "end"; V2 needs eleven and
      // keeps the variable the tenth pass left.
      {"${V3}", "end"},
      {"${V2}", "${V12}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(expandKicadTextVars(c.text, lookup), c.expected);
  }
}

TEST(KicadTextVarsTest, ATextNamingItselfStopsGrowing) {
  const KicadVarLookup lookup = [](std::string_view name, std::string& value) {
    if (name != "SELF") return false;
    value = "${SELF}${SELF}";
    return true;
  };
  const std::string out = expandKicadTextVars("${SELF}", lookup);
  EXPECT_LE(out.size(), size_t{2} << 20);
  EXPECT_NE(out.find("${SELF}"), std::string::npos);
}

}  // namespace
}  // namespace comptab
