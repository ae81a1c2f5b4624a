// The page as written: one data block whose texts cannot end it early, the
// title escaped, and a storage key that changes with the lines.
#include "output/html_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/support/output_stream.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

std::string pageText(const HtmlPage& page) {
  ScratchDir dir;
  EXPECT_FALSE(dir.path().empty());
  const std::string path = dir.file("page.html");
  OutputStream out;
  EXPECT_TRUE(out.open(path, false));
  page.write(out);
  EXPECT_TRUE(out.close());
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::string text;
  if (file == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

std::string between(const std::string& text, const std::string& start, const std::string& end) {
  const size_t from = text.find(start);
  if (from == std::string::npos) return "";
  const size_t to = text.find(end, from + start.size());
  return text.substr(from + start.size(), to - from - start.size());
}

TEST(HtmlPage, DataStaysInItsBlock) {
  HtmlPage page("<b>design</b>", "-");
  page.beginTable("_TOBOARD", {"reference", "value"});
  page.addRow({"R1", "</script><script>alert(1)</script>"}, {"R1"});
  page.addRow({"R2", "\"><img src=x onerror=alert(1)>"}, {"R2", "R3"});
  const std::string text = pageText(page);
  EXPECT_EQ(between(text, "<title>", "</title>"), "&lt;b&gt;design&lt;/b&gt;");
  const std::string data = between(text, "id=\"comptab-data\">", "</script>");
  EXPECT_NE(data.find("\"rows\":[\n[\"R1\",\"\\u003c/script\\u003e\\u003cscript\\u003ealert(1)\\u003c/script\\u003e\",[\"R1\"]]"),
            std::string::npos)
      << data;
  EXPECT_NE(data.find("[\"R2\",\"\\\"\\u003e\\u003cimg src=x onerror=alert(1)\\u003e\",[\"R2\",\"R3\"]]"), std::string::npos)
      << data;
  EXPECT_EQ(data.find('<'), std::string::npos);
  EXPECT_NE(data.find("\"sch\":null"), std::string::npos);
  // No request can leave the page.
  EXPECT_NE(text.find("content=\"default-src 'none';"), std::string::npos);
}

TEST(HtmlPage, StorageKeyFollowsTheLines) {
  const auto key = [](const std::string& value, const std::string& table) {
    HtmlPage page("board.sht", "-");
    page.beginTable(table, {"reference", "value"});
    page.addRow({"R1", value}, {"R1"});
    return between(pageText(page), "\"key\":\"", "\"");
  };
  EXPECT_EQ(key("10k", "_TOBOARD"), key("10k", "_TOBOARD"));
  EXPECT_NE(key("10k", "_TOBOARD"), key("4k7", "_TOBOARD"));
  EXPECT_NE(key("10k", "_TOBOARD"), key("10k", "LITE"));
  EXPECT_EQ(key("10k", "_TOBOARD").rfind("comptab-bom:board.sht:", 0), 0u);
}

}  // namespace
}  // namespace comptab
