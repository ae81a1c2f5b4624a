// Test support: the files of a circuit written from text. For tests only.
#pragma once

#include <string>
#include <vector>

namespace comptab {

struct TestPart {
  int number;
  std::string type;  // a component type name: "parts", "block", ...
  std::string reference;
};

// A sheet file holding the parts in the order given, each with its
// reference and the value "v<number>".
inline std::string testSheet(const std::vector<TestPart>& parts, bool withZone = true) {
  std::string text = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1000, 800]}, )";
  if (withZone) text += R"("zone": {"pitch": [250, 200]}, )";
  text += R"("components": [)";
  for (size_t i = 0; i < parts.size(); ++i) {
    const TestPart& part = parts[i];
    const std::string number = std::to_string(part.number);
    if (i > 0) text += ", ";
    text += R"({"number": )" + number + R"(, "type": ")" + part.type + R"(", "position": [100, 100], )" +
            R"("properties": [["reference", ")" + part.reference + R"("], ["value", "v)" + number + R"("]]})";
  }
  return text + "]}";
}

// A net list of the given top-level sheets (a JSON array's contents).
inline std::string testNetList(const std::string& sheets) {
  return R"({"formatVersion": 1, "sheets": [)" + sheets + "]}";
}

}  // namespace comptab
