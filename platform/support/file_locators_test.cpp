#include "platform/support/file_locators.h"

#include <gtest/gtest.h>

#include <tuple>

namespace comptab {
namespace {

TEST(DesignDataFile, PlacesInsideTheDesignDirectory) {
  using K = DesignFileKind;
  // The design directory, the kind, the name, the path expected.
  const std::tuple<const char*, K, const char*, const char*> cases[] = {
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
  for (const auto& [dir, kind, name, expected] : cases)
    EXPECT_EQ(DesignDataFile::fileName(dir, kind, name), expected)
        << dir << " " << static_cast<int>(kind) << " " << name;
}

}  // namespace
}  // namespace comptab
