#include "platform/design_files.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(DesignDataFile, PlacesInsideTheDesignDirectory) {
  using K = DesignFileKind;
  struct Case {
    const char* dir;
    K kind;
    const char* name;
    const char* expected;
  } cases[] = {
      {"/d/board.cir", K::InstanceDb, "", "/d/board.cir/instance.db"},
      {"/d/board.cir", K::DataFile, "kordata", "/d/board.cir/data/kordata.rsc"},
      {"rel", K::NetList, "netlist", "rel/netlist.json"},
      // Names that do not fit the kind, or could climb out of the directory.
      {"/d", K::InstanceDb, "x", ""},
      {"/d", K::DataFile, "../kordata", ""},
      {"/d", K::DataFile, "a/b", ""},
      {"/d", K::NetList, "other", ""},
      // No design, or a kind that places nothing.
      {"", K::DataFile, "kordata", ""},
      {"/d", static_cast<K>(10), "netlist", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DesignDataFile::fileName(c.dir, c.kind, c.name), c.expected)
        << c.dir << " " << static_cast<int>(c.kind) << " " << c.name;
}

}  // namespace
}  // namespace comptab
