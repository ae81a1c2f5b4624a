// Reading KiCad XML net lists: what each <comp> becomes, and a table of
// files that are refused, hostile ones among them, with their reasons.
#include "platform/kicadxml/kicad_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sheet/comp_type.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

std::string netList(const std::string& components, const std::string& version = "E") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<export version=\"" + version + "\">\n" +
         "  <design><source>x.kicad_sch</source></design>\n  <components>\n" + components +
         "  </components>\n  <nets><net code=\"1\" name=\"GND\"><node ref=\"R1\" pin=\"1\"/></net></nets>\n"
         "</export>\n";
}

// Every property of every component, as "reference: name=value" lines.
std::vector<std::string> listing(const DesignDb& db) {
  std::vector<std::string> lines;
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  for (const ComponentRef component : sheet.components()) {
    const std::string reference(component.property("reference").value());
    for (const PropertyRef p : component.properties())
      if (p.name() != "reference")
        lines.push_back(reference + ": " + std::string(p.name()) + "=" + std::string(p.value()));
  }
  return lines;
}

std::string manyAttributes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += " a" + std::to_string(i) + "=\"x\"";
  return text;
}

class KicadXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }
  DesignDb open(const std::string& text) {
    reason.clear();
    return openKicadXml(files.write("n.xml", text), &reason);
  }
  ScratchDir files;
  std::string reason;
};

TEST_F(KicadXmlTest, TargetsAreTakenByTheirExtension) {
  EXPECT_TRUE(isKicadXmlFile("board.xml"));
  EXPECT_TRUE(isKicadXmlFile("/a/b/BOARD.XML"));
  EXPECT_FALSE(isKicadXmlFile("board.sht"));
  EXPECT_FALSE(isKicadXmlFile(".xml"));
  EXPECT_FALSE(isKicadXmlFile("board.xml/x.sht"));
}

// KiCad 8's shape: fields repeated in <fields> and as properties, flags as
// properties without values, a description element, a nested sheet.
TEST_F(KicadXmlTest, ComponentsCarryTheirFieldsFlagsAndSheet) {
  const DesignDb db = open(netList(R"(
    <comp ref="R1">
      <value>4k7 &amp; more</value>
      <footprint>Resistor_SMD:R_0603</footprint>
      <datasheet>~</datasheet>
      <description>Resistor</description>
      <fields>
        <field name="Footprint">Resistor_SMD:R_0603</field>
        <field name="MPN">RC0603-472</field>
        <field name="Value">ignored: the element came first</field>
      </fields>
      <libsource lib="Device" part="R" description="Resistor"/>
      <property name="MPN" value="RC0603-472"/>
      <property name="Sheetname" value="amp1"/>
      <property name="dnp"/>
      <property name="exclude_from_bom"/>
      <sheetpath names="/amp1/filter/" tstamps="/a/b/"/>
      <tstamps>5e1f0001</tstamps>
    </comp>
    <comp ref="#PWR01"><value>GND</value><fields><field name="partName">MY-GND</field></fields>
      <libsource lib="" part="GND"/><sheetpath names="/" tstamps="/"/></comp>
)"));
  ASSERT_TRUE(db.isValid()) << reason;
  const std::vector<std::string> expected = {
      "R1: Value=4k7 & more",
      "R1: Footprint=Resistor_SMD:R_0603",
      "R1: Datasheet=~",
      "R1: Description=Resistor",
      "R1: MPN=RC0603-472",
      "R1: Sheetname=amp1",
      "R1: dnp=YES",
      "R1: in_bom=NO",
      "R1: on_board=YES",
      "R1: exclude_from_sim=NO",
      "R1: partName=4k7 & more",
      "R1: cdbName=Device:R",
      "R1: componentName=R",
      "R1: sheetPath=/amp1/filter/",
      "R1: _HLEV=2",
      "#PWR01: Value=GND",
      "#PWR01: partName=MY-GND",
      "#PWR01: dnp=NO",
      "#PWR01: in_bom=YES",
      "#PWR01: on_board=YES",
      "#PWR01: exclude_from_sim=NO",
      "#PWR01: cdbName=GND",
      "#PWR01: componentName=GND",
      "#PWR01: sheetPath=/",
      "#PWR01: _HLEV=0",
  };
  EXPECT_EQ(listing(db), expected);
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  EXPECT_FALSE(sheet.isPlaced());
  EXPECT_FALSE(ZoneRef(db.lookup(DesignDb::kZoneType, "Zone")).isValid());
  ASSERT_EQ(sheet.components().size(), 2u);
  EXPECT_EQ(sheet.component(1).typeCode(), CompType::Parts);
  EXPECT_EQ(sheet.component(2).typeCode(), CompType::Power);
}

// KiCad 6 wrote no flags and no description element; a file may also hold
// no components at all.
TEST_F(KicadXmlTest, OlderAndEmptyNetListsAreRead) {
  const DesignDb older = open(netList(R"(<comp ref="C1"><value>100n</value><libsource lib="Device" part="C"/>
      <sheetpath names="/" tstamps="/"/><tstamp>x</tstamp></comp>)",
                                      "D"));
  ASSERT_TRUE(older.isValid()) << reason;
  EXPECT_EQ(listing(older).size(), 10u);
  // As many attributes as a tag may have, and '=' signs in many tags.
  const DesignDb wide = open(netList("<!-- = > ' -->\n<comp ref=\"R1\" x=\"=>=\"" + manyAttributes(254) + "/>" + [] {
    std::string comps;
    for (int i = 0; i < 200; ++i) comps += "<comp ref=\"C" + std::to_string(i) + "\"><value>a=b</value></comp>";
    return comps;
  }()));
  ASSERT_TRUE(wide.isValid()) << reason;
  const DesignDb empty = open(netList(""));
  ASSERT_TRUE(empty.isValid()) << reason;
  EXPECT_TRUE(SheetRef(empty.lookup(DesignDb::kSheetType, "Sheet")).components().empty());
}

// Only <comp> elements of <export><components> are components; elements of
// the same names elsewhere (the library parts, the nets, the design header)
// are parsed and passed over.
TEST_F(KicadXmlTest, OnlyTheComponentsListAreRead) {
  const DesignDb db = open(
      "<export version=\"E\"><design><comp ref=\"D1\"/></design>\n"
      "<components><comp ref=\"R1\"><value>1k</value></comp></components>\n"
      "<libparts><libpart lib=\"Device\" part=\"R\"><comp ref=\"L1\"/><fields><field name=\"Value\">R</field>"
      "</fields></libpart></libparts>\n<nets><net code=\"1\"><comp ref=\"N1\"/></net></nets>\n"
      "<components><comp ref=\"R2\"/></components></export>\n");
  ASSERT_TRUE(db.isValid()) << reason;
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  ASSERT_EQ(sheet.components().size(), 2u);
  EXPECT_EQ(sheet.component(1).property("Value").value(), "1k");
  EXPECT_EQ(sheet.component(2).property("reference").value(), "R2");
}

// A component with a hundred thousand fields keeps each name once, and the
// many small components after it cost no more for it (a reader that paid
// for the big one's lookup table at each later one would not finish).
TEST_F(KicadXmlTest, ManyFieldsKeepEachNameOnce) {
  std::string text = "<comp ref=\"U1\"><fields>";
  for (int i = 0; i < 100000; ++i) text += "<field name=\"f" + std::to_string(i % 50000) + "\">v</field>";
  text += "</fields></comp>\n";
  for (int i = 0; i < 100000; ++i) text += "<comp ref=\"R" + std::to_string(i) + "\"/>";
  const DesignDb db = open(netList(text));
  ASSERT_TRUE(db.isValid()) << reason;
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  ASSERT_EQ(sheet.components().size(), 100001u);
  EXPECT_EQ(sheet.component(1).properties().size(), 1u + 50000u + 5u);  // reference, fields, flags, _HLEV
  EXPECT_EQ(sheet.component(100001).property("reference").value(), "R99999");
}

TEST_F(KicadXmlTest, BrokenAndHostileFilesAreRefusedWithTheirReason) {
  const std::string deep = std::string("<export version=\"E\"><components>") + [] {
    std::string s;
    for (int i = 0; i < 100; ++i) s += "<a>";
    return s;
  }();
  // The text, and how the reason after "<path>: " starts.
  const std::pair<std::string, std::string> cases[] = {
      {"", "the file is empty"},
      {"(export (version \"E\"))", "line 1, column 1: not XML: the text begins with '(' where XML begins with '<'"},
      {"\xEF\xBB\xBF\n  \x01", "line 2, column 3: not XML: the text begins with byte 0x01 where"},
      {"<netlist version=\"E\"/>", "line 1, column 21: the root element is <netlist>, not <export>"},
      {"<export><components/></export>", "line 1, column 8: <export> has no version"},
      {"<export version=\"F\"/>", "line 1, column 20: <export> version \"F\" is not supported"},
      {"<export version=\"E\"><design/></export>", "<export> has no <components>"},
      {netList("<comp><value>1k</value></comp>\n"), "line 5, column 6: a <comp> without a ref"},
      {netList("<comp ref=\"R1\"><fields><field>x</field></fields></comp>"), "line 5, column 30: a <field> without"},
      {netList("<comp ref=\"R1\"><value>" + std::string(70000, 'x') + "</value></comp>"),
       "line 5, column 70023: a text longer than 65535 bytes"},
      {netList("<comp ref=\"R1\">").substr(0, 150), "line "},
      {netList("<comp ref=\"R1\"><value>&nbsp;</value></comp>"), "line 5, column 29: not valid XML: Entity 'nbsp'"},
      {netList("<comp ref=\"R1\"><value>\xff\xfe</value></comp>"), "line 5, column 23: not valid XML:"},
      {deep, "line 1, column 221: elements nest deeper than 64 levels"},
      // What the reader passes over is checked all the same.
      {"<export version=\"E\"><components/><nets>" + deep.substr(32), "line 1, column 228: elements nest deeper"},
      {"<export version=\"E\"><components/><nets><net></nte></nets></export>",
       "line 1, column 51: not valid XML: Opening and ending tag mismatch"},
      {"<export version=\"E\"><components/><nets><node" + manyAttributes(300) + "/></nets></export>",
       "offset 2243: a start tag of more than 256 attributes"},
      // The parser's cost grows with the square of a tag's attributes.
      {netList("<comp ref=\"R1\"" + manyAttributes(300) + "/>"), "offset 2327: a start tag of more than 256 attri"},
      // A '>' or '=' inside a value neither ends the tag nor counts.
      {netList("<comp ref=\"R1\" x='a=\">'" + manyAttributes(256) + "/>"), "offset 2327: a start tag of more than 256"},
      // An entity from outside the file, and one that doubles ten times:
      // neither is ever declared.
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE export [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n" +
           netList("<comp ref=\"R1\"><value>&x;</value></comp>").substr(39),
       "line 2, column 18: a DOCTYPE is not allowed"},
      {"<!DOCTYPE lolz [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
       "<export version=\"E\"><components><comp ref=\"&b;\"/></components></export>",
       "line 1, column 16: a DOCTYPE is not allowed"},
  };
  for (const auto& [text, expected] : cases) {
    const DesignDb db = open(text);
    EXPECT_FALSE(db.isValid()) << expected;
    const std::string prefix = files.file("n.xml") + ": ";
    ASSERT_TRUE(reason.starts_with(prefix)) << reason;
    EXPECT_EQ(reason.substr(prefix.size(), expected.size()), expected) << reason;
  }
}

// The file is read a mebibyte at a time, and the count of a start tag's
// attributes carries from one piece to the next: a tag, a comment or a
// quoted value whose '<' or quote falls just before, on or after the cut
// is counted as it would be anywhere else.
TEST_F(KicadXmlTest, TagsAcrossTheReadersPiecesAreCountedAlike) {
  constexpr size_t kPiece = size_t{1} << 20;
  const std::string head = "<?xml version=\"1.0\"?>\n<export version=\"E\"><components>";
  const std::string tail = "<comp ref=\"R1\"/></components></export>\n";
  const std::string wide = "<x" + manyAttributes(300) + "/>";
  size_t tooMany = 0;  // where the 257th '=' of `wide` stands
  for (int seen = 0; seen < 257; ++tooMany) seen += wide[tooMany] == '=' ? 1 : 0;
  --tooMany;
  const std::string comment = "<!--" + manyAttributes(300) + " > -->";
  const std::string full = "<y q='=>\"" + std::string(40, '=') + "'" + manyAttributes(255) + "/>";
  // Each element starts `before` bytes ahead of the cut; true when refused.
  const struct {
    const std::string& element;
    size_t before;
    bool refused;
  } cases[] = {
      {wide, 2, true},  {wide, 1, true},     {wide, 0, true},     {comment, 2, false}, {comment, 1, false},
      {comment, 0, false}, {full, 1, false}, {full, 5, false},    {full, 30, false},
  };
  for (const auto& c : cases) {
    const size_t padding = kPiece - c.before - head.size() - 7;  // "<!--" and "-->"
    const std::string text = head + "<!--" + std::string(padding, 'p') + "-->" + c.element + tail;
    ASSERT_EQ(text.find(c.element), kPiece - c.before);
    const DesignDb db = open(text);
    EXPECT_EQ(db.isValid(), !c.refused) << c.element.substr(0, 10) << " " << c.before << ": " << reason;
    if (c.refused) {
      EXPECT_NE(reason.find(": offset " + std::to_string(kPiece - c.before + tooMany) + ": a start tag of more"),
                std::string::npos)
          << reason;
    }
  }
}

TEST_F(KicadXmlTest, FilesThatCannotBeReadAreRefused) {
  const std::pair<std::string, std::string> cases[] = {
      {files.file("missing.xml"), "the file does not exist"},
      {files.path(), "this is a directory, not a file"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_FALSE(openKicadXml(path, &reason).isValid());
    EXPECT_EQ(reason, path + ": " + expected);
  }
}

}  // namespace
}  // namespace comptab
