// The shipped files that no end-to-end case reads, and the whole files the
// documentation shows, read without errors.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/kcdb/kcdb.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/variants.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

const std::string kRoot = COMPTAB_SOURCE_ROOT;

std::string sourceText(const std::string& name) {
  std::ifstream in(kRoot + "/" + name);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The bodies of a document's ```lang blocks, in order.
std::vector<std::string> codeBlocks(const std::string& doc, const std::string& lang) {
  const std::string text = sourceText("docs/" + doc);
  const std::string open = "```" + lang + "\n";
  std::vector<std::string> out;
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1))
    out.push_back(text.substr(at + open.size(), text.find("```", at + open.size()) - at - open.size()));
  return out;
}

// Reads the file at `path` with one reader; false, with the reason, when it fails.
using Reader = bool (*)(const std::string& path, std::string& reason);
const Reader kordata = [](const std::string& p, std::string& r) { return !!DataResource::open(p, 2, "/d", &r); };
const Reader compKind = [](const std::string& p, std::string& r) { return !!CompKindTable::open(p, 2, &r); };
const Reader propSpec = [](const std::string& p, std::string& r) { return PropSpecFile().readFrom(p, &r) != 0; };
const Reader vmsys = [](const std::string& p, std::string& r) { return !!VariantSysSpec::open(p, 2, &r); };
const Reader vmdata = [](const std::string& p, std::string& r) { return !!VariantDataSpec::open(p, 2, &r); };
const Reader sheet = [](const std::string& p, std::string& r) {
  return DesignDb::open(nullptr, p, 2, &r).isValid();
};
const Reader kcdb = [](const std::string& p, std::string& r) {
  KcdbAccess access;
  return access.open(p, &r) != 0;
};

TEST(ShippedSideFiles, AndDocumentedExamplesRead) {
  const ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  // The suite's kordata.rsc, CompKind.tbl, eng/PropSpec.tbl and vmsys.rsc,
  // and the example board with its data and KCDB, are read end to end.
  std::vector<std::pair<Reader, std::string>> files = {{propSpec, kRoot + "/suite/system/jpn/PropSpec.tbl"}};
  // The whole files the documents show, in their order.
  const std::pair<std::string, std::vector<Reader>> docs[] = {{"side-files.md", {kordata, compKind, propSpec}},
                                                              {"variants.md", {vmsys, vmdata}}};
  for (const auto& [doc, readers] : docs) {
    const auto blocks = codeBlocks(doc, "toml");
    ASSERT_EQ(blocks.size(), readers.size()) << doc;
    for (size_t i = 0; i < blocks.size(); ++i)
      files.emplace_back(readers[i], dir.write(doc + char('0' + i), blocks[i]));
  }
  files.emplace_back(sheet, dir.write("doc.sht", codeBlocks("sheet-file.md", "json").at(0)));
  files.emplace_back(kcdb, dir.database("doc.db", codeBlocks("kcdb.md", "sql").at(0)));
  for (const auto& [read, path] : files) {
    std::string reason;
    EXPECT_TRUE(read(path, reason)) << path << ": " << reason;
  }
}

// Code -> the argument markers (%1...) of its text.
std::map<std::string, std::string> catalogueArguments(const std::string& name) {
  std::map<std::string, std::string> out;
  std::ifstream file(kRoot + "/" + name);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    std::string& markers = out[line.substr(0, line.find_first_of(" \t"))];
    for (size_t i = 0; i + 1 < line.size(); ++i)
      if (line[i] == '%' && line[i + 1] >= '1' && line[i + 1] <= '9') markers += line.substr(i, 2);
  }
  return out;
}

TEST(ShippedSideFiles, JapaneseCatalogueMatchesTheEnglishOne) {
  const auto eng = catalogueArguments("suite/system/eng/comptab.msg");
  ASSERT_FALSE(eng.empty());
  EXPECT_EQ(catalogueArguments("suite/system/jpn/comptab.msg"), eng);
}

// Every code the program raises has its text, every text a code that is
// raised, and no two names share a code.
TEST(ShippedSideFiles, TheCatalogueHoldsExactlyTheMessageCodes) {
  std::map<std::string, std::string> codes;  // code -> its name
  const std::string header = sourceText("settings/message_codes.h");
  const std::string mark = "inline constexpr int ";
  for (size_t at = header.find(mark); at != std::string::npos; at = header.find(mark, at + 1)) {
    const size_t name = at + mark.size();
    const size_t equals = header.find(" = ", name);
    const std::string code = header.substr(equals + 3, header.find(';', equals) - equals - 3);
    const auto [kept, fresh] = codes.emplace(code, header.substr(name, equals - name));
    EXPECT_TRUE(fresh) << code << " is both " << kept->second << " and " << header.substr(name, equals - name);
  }
  ASSERT_FALSE(codes.empty());
  const auto texts = catalogueArguments("suite/system/eng/comptab.msg");
  for (const auto& [code, name] : codes) EXPECT_TRUE(texts.contains(code)) << name << " (" << code << ") has no text";
  for (const auto& [code, markers] : texts) EXPECT_TRUE(codes.contains(code)) << code << " has a text but no name";
}

}  // namespace
}  // namespace comptab
