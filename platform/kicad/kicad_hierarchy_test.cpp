// Where a sheet file a block names may lie: inside the project folder,
// reached from the folder of the file holding the block.
#include "platform/kicad/kicad_hierarchy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kicad/kicad_schematic.h"

namespace comptab {
namespace {

TEST(KicadSheetKey, InsideTheProjectOrRefused) {
  struct Case {
    const char* parent;
    const char* file;
    const char* key;  // null: refused
  };
  const Case cases[] = {
      {"board.kicad_sch", "amp.kicad_sch", "amp.kicad_sch"},
      {"board.kicad_sch", "sub/amp.kicad_sch", "sub/amp.kicad_sch"},
      {"board.kicad_sch", "./sub/../amp.kicad_sch", "amp.kicad_sch"},
      {"sub/amp.kicad_sch", "../common.kicad_sch", "common.kicad_sch"},
      {"sub/amp.kicad_sch", "deeper/x.kicad_sch", "sub/deeper/x.kicad_sch"},
      {"board.kicad_sch", "../x.kicad_sch", nullptr},
      {"sub/amp.kicad_sch", "../../x.kicad_sch", nullptr},
      {"board.kicad_sch", "sub/../../x.kicad_sch", nullptr},
      {"board.kicad_sch", "/etc/x.kicad_sch", nullptr},
      {"board.kicad_sch", "C:/x.kicad_sch", nullptr},
      {"board.kicad_sch", "c:\\x.kicad_sch", nullptr},
      {"board.kicad_sch", "\\\\server\\x.kicad_sch", nullptr},
      {"board.kicad_sch", "..", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.parent) + " + " + c.file);
    std::string key;
    std::string problem;
    const bool ok = kicadSheetKey(c.parent, c.file, key, problem);
    EXPECT_EQ(ok, c.key != nullptr) << problem;
    if (ok && c.key != nullptr) {
      EXPECT_EQ(key, c.key);
    }
    if (!ok) {
      EXPECT_FALSE(problem.empty());
    }
  }
}

std::string sheetFile(const std::string& blocks) {
  return "(kicad_sch (version 20231120) (generator \"eeschema\") (uuid \"00000000-0000-0000-0000-0000000000a0\")\n" +
         blocks + ")\n";
}

std::string block(const std::string& file) {
  return "  (sheet (at 1 2) (uuid \"00000000-0000-0000-0000-0000000000c1\")\n"
         "    (property \"Sheetname\" \"Sub\") (property \"Sheetfile\" \"" +
         file + "\"))\n";
}

// Without keepFiles the files' bytes go once the tree is read, but only
// after every check that names a place in them: a failure still says
// where, a tree read keeps its texts, and nothing is drawn.
TEST(KicadFileTreeTest, FilesLetGoOnlyOnceChecked) {
  const std::string dir = ::testing::TempDir() + "tree_release/";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "good.kicad_sch") << sheetFile(block("sub.kicad_sch"));
  std::ofstream(dir + "sub.kicad_sch") << sheetFile("");
  std::ofstream(dir + "cycle.kicad_sch") << sheetFile(block("cycle.kicad_sch"));
  std::ofstream(dir + "outside.kicad_sch") << sheetFile(block("../x.kicad_sch"));
  struct Case {
    const char* root;
    const char* failure;  // null: read
  };
  const Case cases[] = {
      {"good.kicad_sch", nullptr},
      {"cycle.kicad_sch", "cycle.kicad_sch:2:3: the sheet \"Sub\" uses \"cycle.kicad_sch\", which holds it"},
      {"outside.kicad_sch", "outside.kicad_sch:2:3: the sheet \"Sub\" uses \"../x.kicad_sch\", which lies outside"},
  };
  for (const bool keepFiles : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.root) + (keepFiles ? " kept" : " let go"));
      KicadFileTree tree;
      KicadFileTree::Failure failure = KicadFileTree::Failure::None;
      std::string failedFile;
      std::string why;
      const bool ok = tree.load(dir, c.root, failure, failedFile, why, keepFiles);
      ASSERT_EQ(ok, c.failure == nullptr) << why;
      if (!ok) {
        EXPECT_NE(why.find(c.failure), std::string::npos) << why;
        continue;
      }
      ASSERT_EQ(tree.files().size(), 2u);
      const KicadSchematic& root = *tree.files()[0].schematic;
      EXPECT_EQ(root.sheets()[0].name, "Sub");
      EXPECT_EQ(root.sheets()[0].file, "sub.kicad_sch");
      EXPECT_EQ(root.uuid(), "00000000-0000-0000-0000-0000000000a0");
      EXPECT_EQ(root.document().isValid(), keepFiles);
    }
  }
}

}  // namespace
}  // namespace comptab
