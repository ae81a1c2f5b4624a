// Where a sheet file a block names may lie: inside the project folder,
// reached from the folder of the file holding the block.
#include "platform/kicad/kicad_hierarchy.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace comptab
