// The second message of a report says what is wrong with the file or the
// text; a swapped code there sends a person looking for the wrong fault.
#include "design/reporter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/support/scratch_dir.h"
#include "settings/message_codes.h"

namespace comptab {
namespace {

TEST(Reporter, SecondMessageTellsTheStateOfTheFileOrText) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string present = dir.file("present.txt", "x");
  const std::string missing = dir.file("missing.txt");
  ASSERT_FALSE(dir.file("folder/inside.txt", "x").empty());
  struct Case {
    const char* what;
    ReportKind kind;
    std::optional<std::string> text;
    std::string codes;  // every code written, each followed by a space
  };
  const int first = msg::kOutputOpen;
  const auto codes = [](std::initializer_list<int> list) {
    std::string text;
    for (const int code : list) text += std::to_string(code) + " ";
    return text;
  };
  const Case cases[] = {
      {"input, no text", ReportKind::InputFile, std::nullopt, codes({first})},
      {"input, empty path", ReportKind::InputFile, "", codes({first, msg::kInputPathEmpty})},
      {"input missing", ReportKind::InputFile, missing, codes({first, msg::kInputMissing})},
      {"input readable", ReportKind::InputFile, present, codes({first, msg::kInputReadable})},
      {"output, no text", ReportKind::OutputFile, std::nullopt, codes({first})},
      {"output, empty path", ReportKind::OutputFile, "", codes({first, msg::kOutputPathEmpty})},
      {"output missing", ReportKind::OutputFile, missing, codes({first, msg::kOutputMissing})},
      {"output exists", ReportKind::OutputFile, present, codes({first, msg::kOutputExistsWritable})},
      {"output is a folder", ReportKind::OutputFile, dir.file("folder"), codes({first, msg::kOutputNotWritable})},
      {"standard output", ReportKind::StandardOutput, "standard output", codes({first})},
      {"general with text", ReportKind::General, "why", codes({first, msg::kDetail})},
      {"general, no text", ReportKind::General, std::nullopt, codes({first, msg::kDetail})},
      {"general, empty text", ReportKind::General, "", codes({first})},
  };
  int files = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reporter reporter;
    reporter.setEcho(nullptr);
    reporter.setDirectory(dir.path());
    const std::string program = "r" + std::to_string(++files);
    ASSERT_NE(reporter.setProgram(program), 0);
    reporter.reportError(c.kind, c.text, 4, first);
    EXPECT_EQ(reporter.exitState, 4);
    std::ifstream in(reporter.logPath());
    std::string written;
    for (std::string line; std::getline(in, line);) {
      // "ERROR 38606: ..."
      const size_t space = line.find(' ');
      written += line.substr(space + 1, line.find(':') - space - 1) + " ";
    }
    EXPECT_EQ(written, c.codes);
  }
}

}  // namespace
}  // namespace comptab
