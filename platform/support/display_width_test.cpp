#include "platform/support/display_width.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(DisplayWidthTest, ColumnsAndCuts) {
  struct Case {
    const char* text;
    size_t width;
    size_t cutAt;         // columns to cut to
    const char* cutText;  // what is left
  };
  const Case cases[] = {
      {"R12", 3, 2, "R1"},
      {"", 0, 0, ""},
      {"10µF", 4, 3, "10µ"},            // µ: two bytes, one column
      {"4k7Ω", 4, 4, "4k7Ω"},
      {"抵抗器", 6, 3, "抵"},             // wide: a cut never leaves half of one
      {"抵抗器", 6, 4, "抵抗"},
      {"e\xCC\x81t\xC3\xA9", 3, 1, "e\xCC\x81"},  // combining accent: none, kept with its letter
      {"ab\xFF" "c", 4, 3, "ab\xFF"},  // a stray byte is one column
      {"\xE6\x8A", 2, 1, "\xE6"},      // so is each byte of a broken character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(displayWidth(c.text), c.width) << c.text;
    const std::string_view text(c.text);
    EXPECT_EQ(text.substr(0, fittingPrefix(text, c.cutAt)), c.cutText) << c.text;
    EXPECT_EQ(fittingPrefix(text, c.width), text.size()) << c.text;
  }
}

}  // namespace
}  // namespace comptab
