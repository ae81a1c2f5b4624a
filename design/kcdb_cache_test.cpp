#include "design/kcdb_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kcdb/kcdb_test_db.h"

namespace comptab {
namespace {

// 74HC00 and 74HC08 both have a component named GATE, with different gate
// counts, so a result shows which device it was fetched for. 74LS00 lives
// in a library listed as not present: it has no reader.
const char* const kLibrarySql = R"sql(
INSERT INTO libraries VALUES (1, 'logic', 1), (2, 'archive', 0);
INSERT INTO devices VALUES (1, '74HC00', 1), (2, '74HC08', 1), (3, '74LS00', 2), (4, 'RES-10K', 1);
INSERT INTO device_properties VALUES (1, 1, 'componentName', 'GATE'), (2, 1, 'componentName', 'GATE');
INSERT INTO components VALUES (1, 1, 'GATE', 3, 4), (2, 2, 'GATE', 3, 2), (3, 3, 'GATE', 3, 4),
                              (4, 4, 'RES', 2, 1), (5, 2, 'PWR', 4, 1);
INSERT INTO pin_gates VALUES (1, '1', 1), (2, '1', 2), (4, '1', 1);
)sql";

class KcdbCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    path = dir.database("kcdb.db", std::string(kKcdbSchemaSql) + kLibrarySql);
    ASSERT_FALSE(path.empty());
    freshCache();
  }
  void freshCache() {
    std::string whyNot;
    cache = KcdbCache::create(path, &whyNot);
    ASSERT_NE(cache, nullptr) << whyNot;
  }
  const KcdbRequestCounts& asked() const { return cache->access()->requestCounts(); }

  ScratchDir dir;
  std::string path;
  std::unique_ptr<KcdbCache> cache;
};

// Each scenario runs on a fresh cache; the counts are what the library was
// asked in all.
TEST_F(KcdbCacheTest, LibraryRequestsPerScenario) {
  struct Lookup {
    const char* device;
    const char* component;
    bool found;
  };
  struct Scenario {
    const char* what;
    std::vector<Lookup> lookups;
    int devices;
    int readers;
    int components;
  };
  const Lookup hc00{"74HC00", "GATE", true}, ls00{"74LS00", "GATE", false};
  const Scenario scenarios[] = {
      {"empty device name: nothing asked, nothing remembered", {{"", "GATE", false}, {"", "GATE", false}}, 0, 0, 0},
      {"known names asked once", {hc00, hc00, hc00}, 1, 1, 1},
      {"unknown device asked once", {{"NOPE", "GATE", false}, {"NOPE", "GATE", false}, {"NOPE", "X", false}}, 1, 0, 0},
      {"unknown component asked once, whatever the device",
       {{"74HC00", "XYZ", false}, {"74HC00", "XYZ", false}, {"74HC08", "XYZ", false}}, 2, 1, 1},
      {"no reader: asked again each time", {ls00, ls00, ls00}, 1, 3, 0},
      {"no reader remembers no missing component", {{"74LS00", "PWR", false}, {"74HC08", "PWR", true}}, 2, 2, 1},
      {"a component of a device without reader, cached from another", {hc00, {"74LS00", "GATE", true}}, 2, 1, 1},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.what);
    freshCache();
    for (const Lookup& l : s.lookups) {
      EXPECT_EQ(cache->lookup(l.device, l.component) != nullptr, l.found) << l.device << "/" << l.component;
    }
    EXPECT_EQ(asked().devices, s.devices);
    EXPECT_EQ(asked().readers, s.readers);
    EXPECT_EQ(asked().components, s.components);
  }
}

TEST_F(KcdbCacheTest, ComponentKeyedByItsNameAlone) {
  const KcdbComponent* forA = cache->lookup("74HC00", "GATE");
  ASSERT_NE(forA, nullptr);
  EXPECT_EQ(forA->gateCount(), 4);
  const KcdbDevice* b = cache->device("74HC08");
  ASSERT_NE(b, nullptr);
  // 74HC08's own GATE has 2 gates; the one fetched for 74HC00 comes back.
  EXPECT_EQ(cache->component(b, "GATE"), forA);
  EXPECT_EQ(cache->lookup("74HC08", "GATE")->gateCount(), 4);
  // No device, or an empty one, gives no component and asks nothing.
  const KcdbDevice none;
  EXPECT_EQ(cache->component(nullptr, "GATE"), nullptr);
  EXPECT_EQ(cache->component(&none, "GATE"), nullptr);
  EXPECT_EQ(asked().components, 1);
}

}  // namespace
}  // namespace comptab
