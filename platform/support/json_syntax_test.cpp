#include "platform/support/json_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace comptab {
namespace {

// The slips of a hand edit, each with the place a person must look at.
TEST(JsonGrammarTest, FaultsAreFoundWhereAPersonMendsThem) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"a": 1 "b": 2})", "a ',' is missing before '\"' at line 1, column 9"},
      {"{\"a\": [1,\n 2,]}", "an extra ',' after the last element of an array at line 2, column 3"},
      {R"({"a": 1,})", "an extra ',' after the last field of an object at line 1, column 8"},
      {R"({"a": 01})", "a number with a leading zero at line 1, column 7"},
      {R"({"a": -})", "a malformed number at line 1, column 7"},
      {R"({"a": 1.})", "a malformed number at line 1, column 7"},
      {R"({"a": yes})", "a word that is not true, false or null (is a text missing its quotes?) at line 1, column 7"},
      {R"({"a": "x\q"})", "a string holds the escape '\\q', which JSON does not have (write '\\\\' for a backslash) at line 1, column 9"},
      {"{\"a\": \"x\ny\"}", "a string holds a control character that is not escaped (a line break inside quotes?) at line 1, column 9"},
      {R"({'a': 1})", "''' where a field name in double quotes should be at line 1, column 2"},
      {R"({"a" 1})", "'1' where the ':' after a field name should be at line 1, column 6"},
      {R"({"a": 1} 2)", "more text after the end of the document at line 1, column 10"},
      {R"({"a": [1, 2})", "'}' does not close the '[' before it at line 1, column 12"},
      {R"({"a": [1, 2)", "the text ends before the document does (is the file cut short?) at line 1, column 12"},
      {"\xEF\xBB\xBF{\"a\": [], \"b\": {}, \"c\": [true, false, null, -1.5e+3, \"\\u00e9\"]}", ""},
  };
  for (const auto& [text, expected] : cases) {
    const GrammarFault fault = locateGrammarError(text);
    const std::string got = fault.what.empty() ? "" : fault.what + " at " + textPosition(text, fault.offset);
    EXPECT_EQ(got, expected) << text;
  }
}

}  // namespace
}  // namespace comptab
