// The circuit walk over a state whose extraction only records what it is
// handed: the order of the rows, the levels, the database built once and
// reused, and each failure with its message code.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "design/placement.h"
#include "design/run.h"
#include "platform/circuit/instance_schema.h"
#include "platform/circuit/test_circuit.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/variants.h"
#include "platform/support/scratch_dir.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {
namespace {

// Top-level sheets numbered 3, 1, 2. Sheet 1's block X1 instantiates leaf
// as sheets 7 and 5; its block X2 instantiates mid (sheet 4), whose block
// X9 instantiates leaf as sheet 6, which names component 99 that leaf lacks.
const char* const kNetList = R"({"formatVersion": 1, "sheets": [
  {"file": "c.sht", "id": -1, "number": 3},
  {"file": "a.sht", "id": 10, "number": 1, "blocks": [
    {"component": 2, "sheets": [
      {"file": "leaf.sht", "id": 70, "number": 7, "components": [{"number": 1, "properties": [["reference", "R701"]]}]},
      {"file": "leaf.sht", "id": 50, "number": 5, "components": [{"number": 1, "properties": [["reference", "R501"]]}]}
    ]},
    {"component": 3, "sheets": [
      {"file": "mid.sht", "id": 40, "number": 4, "blocks": [{"component": 2, "sheets": [
        {"file": "leaf.sht", "id": 60, "number": 6, "components": [
          {"number": 1, "properties": [["reference", "R601"]]}, {"number": 99, "properties": [["reference", "GHOST"]]}]}
      ]}]}
    ]}
  ]},
  {"file": "b.sht", "id": 20, "number": 2}
]})";

class RecordingState : public Run {
 public:
  // A test sets up what the App and opening the design would.
  RunOptions& setOptions() { return options_; }
  RunData& setData() { return data_; }

  int extractComponent(const Placement& where, const ComponentRef& component, TablePass&, const VariantComponent*,
                       const Destination*, const std::string*) override {
    rows.push_back(std::string(component.property("reference").value()) + "@" + where.texts->level);
    return --rowsBeforeStop != 0 ? 1 : 0;
  }
  std::vector<std::string> rows;
  int rowsBeforeStop = -1;
};

class WalkCircuitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    dir.file("c.cir/a.sht", testSheet({{1, "parts", "R1"}, {2, "block", "X1"}, {3, "block", "X2"}}));
    dir.file("c.cir/b.sht", testSheet({{1, "gate", "U1A"}}));
    dir.file("c.cir/c.sht", testSheet({{1, "connector", "J1"}}));
    dir.file("c.cir/mid.sht", testSheet({{1, "gate", "U1B"}, {2, "block", "X9"}}));
    dir.file("c.cir/leaf.sht", testSheet({{1, "parts", "R?"}}));
    dir.file("c.cir/netlist.json", kNetList);
    echo.reset(std::tmpfile());
    ASSERT_NE(echo, nullptr);
    fresh();
  }
  void fresh() {
    state = std::make_unique<RecordingState>();
    state->setOptions().designDir = dir.file("c.cir");
    state->setOptions().runMode = mode::kCircuit;
    state->reporter().setEcho(echo.get());
  }
  std::vector<std::string> walk(int level) {
    state->rows.clear();
    state->setOptions().hierarchyLevel = level;
    RecordTable table;
    TablePass pass{.table = table};
    result = state->walkCircuit(pass);
    return state->rows;
  }
  // The message codes written so far.
  std::string messages() {
    std::fflush(echo.get());
    std::rewind(echo.get());
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, echo.get()) != nullptr) text += buffer;
    return text;
  }

  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  ScratchDir dir;
  std::unique_ptr<FILE, Closer> echo;
  std::unique_ptr<RecordingState> state;
  int result = -1;
};

using Rows = std::vector<std::string>;

TEST_F(WalkCircuitTest, SheetNumberOrderDepthFirstAndTheLevelRule) {
  const struct {
    int level;
    Rows rows;
  } cases[] = {
      // Levels 0, 1 and all are run end to end; a limit equal to the
      // depth and a negative limit other than -1 are not.
      {2, {"R1@0", "R501@1", "R701@1", "U1B@1", "R601@2", "U1A@0", "J1@0"}},
      {-3, {"R1@0", "X1@0", "X2@0", "U1A@0", "J1@0"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(walk(c.level), c.rows) << "level " << c.level;
    EXPECT_EQ(result, 1);
  }
  EXPECT_EQ(state->reporter().exitState, 0);
  EXPECT_EQ(messages(), "");
}

// Past 16 elements the library's sort is no longer an insertion sort, and
// an unstable sort would reorder sheets of the same number.
TEST_F(WalkCircuitTest, SheetsOfOneNumberKeepTheirStoredOrder) {
  std::string netList = R"({"formatVersion": 1, "sheets": [)";
  Rows expected;
  constexpr int kSheets = 40;
  for (int number = 1; number <= 2; ++number)
    for (int i = 0; i < kSheets; ++i)
      if (i % 2 == 2 - number) expected.push_back("S" + std::to_string(i) + "@0");
  for (int i = 0; i < kSheets; ++i) {
    const std::string name = "s" + std::to_string(i) + ".sht";
    dir.file("c.cir/" + name, testSheet({{1, "parts", "S" + std::to_string(i)}}));
    netList += std::string(i > 0 ? ", " : "") + R"({"file": ")" + name + R"(", "id": )" + std::to_string(i + 1) +
               R"(, "number": )" + std::to_string(2 - i % 2) + "}";
  }
  dir.file("c.cir/netlist.json", netList + "]}");
  EXPECT_EQ(walk(-1), expected);
  EXPECT_EQ(result, 1);
}

TEST_F(WalkCircuitTest, AStopFromTheExtractionEndsTheWalk) {
  state->rowsBeforeStop = 3;
  EXPECT_EQ(walk(-1), (Rows{"R1@0", "R501@1", "R701@1"}));
  EXPECT_EQ(result, 0);
}

TEST_F(WalkCircuitTest, ASheetThatCannotBeLoadedIsReported) {
  const std::string sql = std::string(kInstanceSchemaSql) +
                          "INSERT INTO sheets VALUES (1, NULL, 'a.sht', 1, 1), (2, 1, 'leaf.sht', 2, 2);"
                          "INSERT INTO blocks VALUES (1, 1, 2);"
                          "INSERT INTO instance_components VALUES (2, 0, 8589934592);";
  ASSERT_FALSE(dir.database("c.cir/instance.db", sql).empty());
  EXPECT_EQ(walk(-1), (Rows{"R1@0"}));
  EXPECT_EQ(result, 0);
  EXPECT_NE(messages().find("ERROR 38603"), std::string::npos) << messages();
  EXPECT_NE(messages().find("an instance component of sheet entry 2 is damaged"), std::string::npos);
}

TEST_F(WalkCircuitTest, ADestinationTheVariantDataDoesNotKnow) {
  dir.file("c.cir/b.sht", R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]}, "zone": {"pitch": [5, 5]},
    "components": [{"number": 1, "type": "parts", "position": [1, 1],
                    "properties": [["reference", "R9"], ["value", "1k"], ["value@PRO", "2k"]]}]})");
  state->setData().variantSysSpec = VariantSysSpec::open(dir.file("vmsys.rsc", "separator = \"@\"\n"), 2);
  state->setData().variantDataSpec = VariantDataSpec::open(dir.file("vmdata.rsc", "destinations = [\"PRO\"]\n"), 2);
  ASSERT_TRUE(state->setData().variantSysSpec && state->setData().variantDataSpec);
  state->setOptions().runMode |= mode::kCompDest;
  state->setOptions().destinations = {"NOPE"};
  EXPECT_EQ(walk(-1), (Rows{"R1@0", "R501@1", "R701@1", "U1B@1", "R601@2"}));
  EXPECT_EQ(result, 0);
  EXPECT_NE(messages().find("ERROR 38616"), std::string::npos) << messages();
}

}  // namespace
}  // namespace comptab
