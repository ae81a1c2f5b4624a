// The side files shipped in suite/ and examples/ read without errors and
// hold what the documentation promises.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/comp_kind.h"
#include "platform/data_resource.h"
#include "platform/prop_spec.h"
#include "platform/scratch_dir.h"

namespace comptab {
namespace {

const std::string kRoot = COMPTAB_SOURCE_ROOT;

TEST(ShippedSideFiles, DataResources) {
  for (const char* name : {"/suite/system/kordata.rsc", "/examples/data/kordata.rsc"}) {
    std::string reason;
    const auto resource = DataResource::open(kRoot + name, DataResource::kReadOnly, kRoot + "/examples", &reason);
    EXPECT_NE(resource, nullptr) << reason;
  }
}

TEST(ShippedSideFiles, CompKindTable) {
  std::string reason;
  const auto table = CompKindTable::open(kRoot + "/suite/system/CompKind.tbl", CompKindTable::kReadOnly, &reason);
  ASSERT_NE(table, nullptr) << reason;
  EXPECT_EQ(table->refHeader(1, false), "R");
  EXPECT_EQ(table->refHeader(8, false), "SW");
  EXPECT_EQ(table->refHeader(1, true), "X");
  ASSERT_NE(table->compKind(6), nullptr);
  EXPECT_EQ(table->compKind(6)->name, "ic");
}

TEST(ShippedSideFiles, PropSpecNamesEveryPseudoProperty) {
  const char* names[] = {
      "reference",  "partName",   "componentName", "cdbName",  "isvGate",  "_HLEV",         "_HID",
      "id",         "sheetId",    "sheetNumber",   "_TOBOARD", "bitCount", "componentKind", "componentType",
      "symbolName", "pathNumber", "_DEST",         "_REFH",    "_REFN",    "positionX",     "positionY",
      "_ZONE",      "angle",      "scale",         "color",    "mirror",   "dispContents",  "_GCOUNT",
      "_GATENO",    "_HASPOWER",  "_NILR_",        "_REFCOUNT"};
  for (const char* lang : {"eng", "jpn"}) {
    PropSpecFile titles;
    std::string reason;
    ASSERT_NE(titles.readFrom(kRoot + "/suite/system/" + lang + "/PropSpec.tbl", &reason), 0) << reason;
    for (const char* name : names)
      EXPECT_NE(titles.displayString(PropSpecFile::kComponent, name), name) << lang << " " << name;
  }
}

// Code -> the argument markers (%1...) of its text, for each catalogue.
std::map<std::string, std::string> catalogueArguments(const std::string& path) {
  std::map<std::string, std::string> out;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    std::istringstream words(line);
    std::string code;
    words >> code;
    std::string markers;
    for (size_t i = 0; i + 1 < line.size(); ++i)
      if (line[i] == '%' && line[i + 1] >= '1' && line[i + 1] <= '9') markers += line.substr(i, 2);
    out[code] = markers;
  }
  return out;
}

TEST(ShippedSideFiles, JapaneseCatalogueMatchesTheEnglishOne) {
  const auto eng = catalogueArguments(kRoot + "/suite/system/eng/comptab.msg");
  const auto jpn = catalogueArguments(kRoot + "/suite/system/jpn/comptab.msg");
  ASSERT_FALSE(eng.empty());
  EXPECT_EQ(jpn, eng);
}

// The ```toml blocks of docs/side-files.md, by the file name on their first
// line ("# kordata.rsc").
std::map<std::string, std::string> documentedExamples() {
  std::ifstream doc(kRoot + "/docs/side-files.md");
  const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  std::map<std::string, std::string> out;
  const std::string open = "```toml\n# ";
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
    const size_t body = at + 8;
    const size_t nameEnd = text.find('\n', body);
    const size_t end = text.find("```", body);
    if (nameEnd == std::string::npos || end == std::string::npos) break;
    out[text.substr(body + 2, nameEnd - body - 2)] = text.substr(body, end - body);
  }
  return out;
}

TEST(ShippedSideFiles, DocumentedExamplesRead) {
  const auto examples = documentedExamples();
  ASSERT_EQ(examples.size(), 3u);
  const ScratchDir dir;
  std::string reason;

  const auto resource = DataResource::open(dir.file("data/kordata.rsc", examples.at("kordata.rsc")),
                                           DataResource::kReadOnly, "/d/board", &reason);
  ASSERT_NE(resource, nullptr) << reason;
  EXPECT_EQ(resource->decode(25400), 25.4);
  EXPECT_EQ(resource->kcdbPath(), "/d/board/library/kcdb.db");

  const auto kinds =
      CompKindTable::open(dir.file("CompKind.tbl", examples.at("CompKind.tbl")), CompKindTable::kReadOnly, &reason);
  ASSERT_NE(kinds, nullptr) << reason;
  EXPECT_EQ(kinds->refHeader(8, false), "SW");
  EXPECT_EQ(kinds->refHeader(8, true), "X");

  PropSpecFile titles;
  ASSERT_NE(titles.readFrom(dir.file("PropSpec.tbl", examples.at("PropSpec.tbl")), &reason), 0) << reason;
  EXPECT_EQ(titles.displayString(PropSpecFile::kComponent, "_REFCOUNT"), "Qty");
}

}  // namespace
}  // namespace comptab
