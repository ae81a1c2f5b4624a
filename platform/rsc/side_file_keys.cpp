#include "platform/rsc/side_file_keys.h"

#include "platform/support/text.h"

namespace comptab {

namespace {

// Long enough to recognise the value, short enough for one line.
constexpr size_t kShownBytes = 40;

std::string shownText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (out.size() >= kShownBytes) {
      // Do not end in the middle of a UTF-8 sequence.
      while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
      if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
      return "\"" + out + "...\"";
    }
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return "\"" + out + "\"";
}

}  // namespace

std::string describeValue(const RscValue& value) {
  switch (value.kind()) {
    case RscValue::Text:
      return "the text " + shownText(value.text().value_or(""));
    case RscValue::Integer:
    case RscValue::Scalar:
      return value.text().value_or("?");
    case RscValue::Table:
      return "an array";
    default:
      return "a table or an array of mixed rows";
  }
}

std::optional<RscFile> openSideFile(const std::string& path, const SideFileFailure& fail) {
  std::string reason;
  RscFile file = RscFile::open(path, &reason);
  if (!reason.empty()) {
    fail.passOn(reason);
    return std::nullopt;
  }
  const auto version = file.lookup("formatVersion");
  if (version && !(version->kind() == RscValue::Integer && version->integer() == kSideFileFormat)) {
    fail(strprintf("formatVersion %s is not one this program reads (it reads %d)", describeValue(*version).c_str(),
                   kSideFileFormat));
    return std::nullopt;
  }
  return file;
}

}  // namespace comptab
