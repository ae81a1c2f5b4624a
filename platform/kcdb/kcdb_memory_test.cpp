#include "platform/kcdb/kcdb_memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace comptab {
namespace {

// What the packaging reads of a library made in memory: a device's table
// lists its components by name in byte order, the first component of a
// name is kept, and an unknown name is an answer, not a failure.
TEST(KcdbMemoryTest, DevicesAndComponentsAsAKcdbGivesThem) {
  KcdbMemory library;
  EXPECT_TRUE(library.empty());
  library.add("Logic:7400", KcdbComponent("7400", 3, 4, {{"1", 1}, {"4", 2}}));
  library.add("Logic:7400", KcdbComponent("74LS00", 3, 4, {}));
  library.add("Logic:7400", KcdbComponent("7400", 2, 1, {}));  // a second copy: the first stays
  library.add("Device:R", KcdbComponent("R", 2, 1, {{"1", 1}, {"2", 1}}));

  const KcdbDevice device = library.findDevice("Logic:7400");
  ASSERT_TRUE(device.isValid());
  EXPECT_EQ(device.deviceName(), "Logic:7400");
  std::vector<std::string> table;
  for (const KcdbProperty& property : device.props()) table.push_back(property.name + "=" + property.value);
  EXPECT_EQ(table, (std::vector<std::string>{"componentName=7400", "componentName=74LS00"}));
  EXPECT_FALSE(library.findDevice("Logic:7402").isValid());
  EXPECT_FALSE(library.findDevice("logic:7400").isValid());  // names are exact

  const struct {
    const char* device;
    const char* component;
    bool found;
    int gateCount;
    const char* pin;
    int gate;
  } cases[] = {
      {"Logic:7400", "7400", true, 4, "4", 2},
      {"Logic:7400", "7400", true, 4, "14", 0},
      {"Device:R", "R", true, 1, "2", 1},
      {"Device:R", "7400", false, 0, "", 0},  // a name of another device
      {"Device:C", "C", false, 0, "", 0},
  };
  for (const auto& c : cases) {
    KcdbComponent found(std::string("stale"), 1, 1, {});
    EXPECT_TRUE(library.findComponent(c.device, c.component, found)) << c.device;
    EXPECT_EQ(found.isValid() != 0, c.found) << c.device << " " << c.component;
    if (!c.found) continue;
    EXPECT_EQ(found.compName(), c.component);
    EXPECT_EQ(found.gateCount(), c.gateCount);
    EXPECT_EQ(found.gateNo(c.pin), c.gate) << c.pin;
  }
}

}  // namespace
}  // namespace comptab
