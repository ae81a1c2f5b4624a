#include "platform/kicad/kicad_file_kinds.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(KicadFileKinds, SaysWhatAFileIsAndWhatToGiveInstead) {
  struct Case {
    const char* path;
    const char* hintHas;  // null: no hint
    bool refusedEarly;
  } cases[] = {
      {"/p/board.kicad_pcb", "a KiCad board (.kicad_pcb)", true},
      {"BOARD.KICAD_PCB", "a KiCad board", true},
      {"lib.kicad_sym", "give the project (.kicad_pro)", true},
      {"x.kicad_prl", "local project settings", true},
      {"amp.sch", "KiCad 5 (or older) schematic", false},
      {"amp.pro", "KiCad 5 (or older) project", false},
      {"amp.net", "kicad-cli sch export netlist --format kicadxml", false},
      {"bom.csv", "a table (.csv)", false},
      // What comptab reads, and what it cannot name.
      {"board.kicad_pro", nullptr, false},
      {"board.kicad_sch", nullptr, false},
      {"board.sht", nullptr, false},
      {"board.xml", nullptr, false},
      {".sch", nullptr, false},
      {"sch", nullptr, false},
  };
  for (const Case& c : cases) {
    const std::string hint = unsupportedKicadFileHint(c.path);
    if (c.hintHas == nullptr) {
      EXPECT_EQ(hint, "") << c.path;
    } else {
      EXPECT_NE(hint.find(c.hintHas), std::string::npos) << c.path << ": " << hint;
      EXPECT_EQ(hint.rfind(c.path, 0), 0u) << hint;
    }
    EXPECT_EQ(isKicadNonSchematic(c.path), c.refusedEarly) << c.path;
  }
}

}  // namespace
}  // namespace comptab
