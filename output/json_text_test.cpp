#include "output/json_text.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(JsonText, StringsStayInsideTheirScript) {
  const struct {
    std::string_view in;
    std::string_view out;
  } cases[] = {
      {"10k", "\"10k\""},
      {"</script><script>alert(1)</script>", "\"\\u003c/script\\u003e\\u003cscript\\u003ealert(1)\\u003c/script\\u003e\""},
      {"\"><img src=x onerror=alert(1)>", "\"\\\"\\u003e\\u003cimg src=x onerror=alert(1)\\u003e\""},
      {"a&b<!--", "\"a\\u0026b\\u003c!--\""},
      {"line\xE2\x80\xA8" "para\xE2\x80\xA9", "\"line\\u2028para\\u2029\""},
      {"tab\tnl\ncr\r\x01", "\"tab\\tnl\\ncr\\r\\u0001\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"4.7 k\xCE\xA9", "\"4.7 k\xCE\xA9\""},
      {"bad\xFF\xC3", "\"bad\\ufffd\\ufffd\""},
      {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},  // a surrogate is not UTF-8
  };
  for (const auto& c : cases) {
    std::string out;
    appendJsonString(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(JsonText, NumbersAsMillimetres) {
  const struct {
    double in;
    std::string_view out;
  } cases[] = {{12.7, "12.7"}, {-3, "-3"}, {0.254, "0.254"}, {1.00049, "1"}, {-0.0001, "0"}, {1e300 * 1e300, "0"}};
  for (const auto& c : cases) {
    std::string out;
    appendJsonNumber(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

}  // namespace
}  // namespace comptab
