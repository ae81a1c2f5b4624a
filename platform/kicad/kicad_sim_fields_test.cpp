// Legacy simulation fields as KiCad 10 rewrites them on load. Every row is
// a symbol kicad-cli 10.0.7 exported (its --fields '*' columns), from
// hand-written KiCad 6 files and the simulation demos.
#include "platform/kicad/kicad_sim_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kicad/kicad_spice_library.h"

namespace comptab {
namespace {

// "Name=text|Name=text" to the five fields and the user fields.
std::vector<KicadNamedValue> fieldsOf(const std::string& reference, const std::string& value, const std::string& user) {
  std::vector<KicadNamedValue> fields = {
      {"Reference", reference}, {"Value", value}, {"Footprint", ""}, {"Datasheet", ""}, {"Description", ""}};
  size_t start = 0;
  while (start < user.size()) {
    size_t end = user.find('|', start);
    if (end == std::string::npos) end = user.size();
    const std::string item = user.substr(start, end - start);
    const size_t equals = item.find('=');
    fields.push_back({item.substr(0, equals), item.substr(equals + 1)});
    start = end + 1;
  }
  return fields;
}

// Value, then the user fields in order.
std::string shown(const std::vector<KicadNamedValue>& fields) {
  std::string out = "Value=" + fields[1].value;
  for (size_t i = 5; i < fields.size(); ++i) out += "|" + fields[i].name + "=" + fields[i].value;
  return out;
}

struct Case {
  const char* reference;
  const char* value;
  const char* fields;
  const char* expected;
};

std::string migrated(const Case& c, const std::vector<std::string_view>& pins) {
  std::vector<KicadNamedValue> fields = fieldsOf(c.reference, c.value, c.fields);
  KicadSpiceLibrary library = *KicadSpiceLibrary::parse(
      ".model DD D\n.model QN NPN\n.model MN NMOS\n.subckt OPX in+ in- vcc vee out\n.ends\n");
  const KicadSimSymbol symbol{c.reference, pins};
  // f.lib: the same models, in a library whose include KiCad could not read.
  KicadSpiceModel faulty;
  migrateKicadSimFields(fields, symbol, [&](std::string_view file, std::string_view model) -> const KicadSpiceModel* {
    const KicadSpiceModel* found = file == "t.lib" || file == "f.lib" ? library.find(model) : nullptr;
    if (found == nullptr || file == "t.lib") return found;
    faulty = *found;
    faulty.libraryClean = false;
    return &faulty;
  });
  return shown(fields);
}

TEST(KicadSimFieldsTest, SourcesBecomeKicadsOwnModels) {
  const Case cases[] = {
      // A function in Spice_Model: its arguments fill the source's parameters.
      {"V1", "VSIN", "Spice_Primitive=V|Spice_Model=sin(0 1 100meg 1n 1e10)",
       "Value=VSIN|Sim.Device=V|Sim.Type=SIN|Sim.Params=dc=0 ampl=1 f=100M td=1n theta=10G|Sim.Pins=1=+ 2=-"},
      {"I1", "IAM", "Spice_Primitive=I|Spice_Model=am(0.5 1 10meg 50meg 20n)",
       "Value=IAM|Sim.Device=I|Sim.Type=AM|Sim.Params=vo=0.5 vmo=1 vma=10M fm=50M fc=20n|"
       "Sim.Pins=1=+ 2=-"},
      {"V8", "N", "Spice_Primitive=V|Spice_Model=trnoise(0.1 0.5n 0 0)",
       "Value=N|Sim.Device=V|Sim.Type=WHITENOISE|Sim.Params=rms=0.1 dt=0.5n ac=0 ph=0|Sim.Pins=1=+ 2=-"},
      {"V9", "R", "Spice_Primitive=V|Spice_Model=trrandom(2 100n 0 1)",
       "Value=R|Sim.Device=V|Sim.Type=RANDUNIFORM|Sim.Params=ts=2 td=100n range=0 offset=1|Sim.Pins=1=+ 2=-"},
      {"V4", "P", "Spice_Primitive=V|Spice_Model=pulse(1 2 3 4 5 6 7 8 9 10 11 12)",
       "Value=P|Sim.Device=V|Sim.Type=PULSE|Sim.Params=y1=1 y2=2 td=3 tr=4 tf=5 tw=6 per=7 np=8 ac=9 ph=10 "
       "portnum=11 z0=12|Sim.Pins=1=+ 2=-"},
      // One argument more than the source has: a raw SPICE model.
      {"V5", "P", "Spice_Primitive=V|Spice_Model=pulse(1 2 3 4 5 6 7 8 9 10 11 12 13)",
       "Value=P|Sim.Device=SPICE|Sim.Params=type=\"V\" model=\"pulse(1 2 3 4 5 6 7 8 9 10 11 12 13)\" lib=\"\"|"
       "Sim.Pins=1=1 2=2"},
      {"V5", "PWL", "Spice_Primitive=V|Spice_Model=pwl(0 -7 50n -7 51n -3)",
       "Value=PWL|Sim.Device=SPICE|Sim.Params=type=\"V\" model=\"pwl(0 -7 50n -7 51n -3)\" lib=\"\"|Sim.Pins=1=1 2=2"},
      // "dc X" puts X into Value; "dc" alone leaves its parameter empty.
      {"V2", "VDC", "Spice_Primitive=V|Spice_Model=dc 2.345", "Value=2.345|Sim.Device=V|Sim.Type=DC|Sim.Pins=1=+ 2=-"},
      {"V17", "VD", "Spice_Primitive=V|Spice_Model=dc", "Value=VD|Sim.Device=V|Sim.Type=DC|Sim.Params=dc=\"\"|Sim.Pins=1=+ 2=-"},
      {"V2", "AC", "Spice_Primitive=V|Spice_Model=dc 0 ac 1",
       "Value=AC|Sim.Device=V|Sim.Type=DC|Sim.Params=dc=0 ac=ac ph=1|Sim.Pins=1=+ 2=-"},
      {"V16", "VD", "Spice_Primitive=V|Spice_Model=sin", "Value=VD|Sim.Device=V|Sim.Type=SIN|Sim.Pins=1=+ 2=-"},
      // Device and function in any form KiCad reads; quotes need quoting.
      {"V10", "VD", "Spice_Primitive=  V |Spice_Model=(SIN 0 1)",
       "Value=VD|Sim.Device=V|Sim.Type=SIN|Sim.Params=dc=0 ampl=1|Sim.Pins=1=+ 2=-"},
      {"V8", "x", "Spice_Primitive=V|Spice_Model=sin(1 2 \"a b\")",
       "Value=x|Sim.Device=V|Sim.Type=SIN|Sim.Params=dc=1 ampl=2 f=\"\\\"a\" td=\"b\\\"\"|Sim.Pins=1=+ 2=-"},
      {"V11", "VD", "Spice_Primitive=v|Spice_Model=sin(0 1)",
       "Value=VD|Sim.Device=SPICE|Sim.Params=type=\"v\" model=\"sin(0 1)\" lib=\"\"|Sim.Pins=1=1 2=2"},
      {"V7", "VD", "Spice_Primitive=V|Spice_Model=ac 3",
       "Value=VD|Sim.Device=SPICE|Sim.Params=type=\"V\" model=\"ac 3\" lib=\"\"|Sim.Pins=1=1 2=2"},
      {"V12", "VD", "Spice_Primitive=I|Spice_Model=sin(0 1)",
       "Value=VD|Sim.Device=I|Sim.Type=SIN|Sim.Params=dc=0 ampl=1|Sim.Pins=1=+ 2=-"},
  };
  for (const Case& c : cases) EXPECT_EQ(migrated(c, {"2", "1"}), c.expected) << c.reference << " " << c.fields;
}

TEST(KicadSimFieldsTest, ValueHoldsTheModelUnlessTheReferenceSaysItIsThePart) {
  const Case cases[] = {
      // The reference's letter is the device: Value stays the model.
      {"V1", "SINE(0 1.5 1k 0 0 0 0)", "Spice_Primitive=V|Spice_Node_Sequence=1 2",
       "Value=SINE(0 1.5 1k 0 0 0 0)|Sim.Pins=1=1 2=2"},
      {"R1", "1k", "SpiceMapping=1 2|Spice_Primitive=R", "Value=1k|SpiceMapping=1 2"},
      {"V8", "dc 5", "Spice_Primitive=V", "Value=dc 5"},
      // Otherwise Value points at the new fields.
      {"U1", "sin(0 1 1k)", "Spice_Primitive=V",
       "Value=${SIM.PARAMS}|Sim.Device=V|Sim.Type=SIN|Sim.Params=dc=0 ampl=1 f=1k|Sim.Pins=1=+ 2=-"},
      {"U2", "dc 5", "Spice_Primitive=V", "Value=5|Sim.Device=V|Sim.Type=DC|Sim.Pins=1=+ 2=-"},
      {"R3", "10k", "Spice_Primitive=C|Spice_Node_Sequence=2,1",
       "Value=${SIM.PARAMS}|Sim.Device=SPICE|Sim.Params=type=\"C\" model=\"10k\" lib=\"\"|Sim.Pins=2=1 1=2"},
      {"U4", "xyz", "Spice_Node_Sequence=1 2", "Value=${SIM.PARAMS}|Sim.Device=SPICE|Sim.Params=xyz|Sim.Pins=1=1 2=2"},
      {"U7", "xyz", "Spice_Primitive=D",
       "Value=${SIM.PARAMS}|Sim.Device=SPICE|Sim.Params=type=\"D\" model=\"xyz\" lib=\"\"|Sim.Pins=1=1 2=2"},
      {"U5", "xyz 1Meg", "Spice_Primitive=X|Spice_Model=abc 1Meg",
       "Value=xyz 1Meg|Sim.Device=SPICE|Sim.Params=type=\"X\" model=\"abc 1M\" lib=\"\"|Sim.Pins=1=1 2=2"},
      {"V9", "VD", "Spice_Model=sin(0 1)", "Value=VD|Sim.Device=SPICE|Sim.Params=sin(0 1)|Sim.Pins=1=1 2=2"},
  };
  for (const Case& c : cases) EXPECT_EQ(migrated(c, {"1", "2"}), c.expected) << c.reference << " " << c.fields;
}

TEST(KicadSimFieldsTest, LibraryModelsWhenKicadCanLoadThem) {
  const Case cases[] = {
      {"D1", "1N4148", "Spice_Primitive=D|Spice_Node_Sequence=2 1|Spice_Model=DD|Spice_Lib_File=t.lib",
       "Value=1N4148|Sim.Library=t.lib|Sim.Name=DD|Sim.Pins=2=1 1=2"},
      {"Q1", "q", "Spice_Primitive=Q|Spice_Model=qn|Spice_Lib_File=t.lib",
       "Value=q|Sim.Library=t.lib|Sim.Name=qn|Sim.Pins=1=C 2=B 3=E 10=<S>"},
      {"M1", "m", "Spice_Primitive=M|Spice_Model=MN|Spice_Lib_File=t.lib",
       "Value=m|Sim.Library=t.lib|Sim.Name=MN|Sim.Pins=1=D 2=G 3=S 10=B"},
      // A subcircuit's ports take numbers 1, 2, ... whatever the symbol's.
      {"U1", "opx", "Spice_Primitive=X|Spice_Lib_File=t.lib",
       "Value=${SIM.NAME}|Sim.Library=t.lib|Sim.Name=opx|Sim.Pins=1=in+ 2=in- 3=vcc 4=vee 5=out"},
      // The words after the name are parameters.
      {"U10", "x", "Spice_Model=DD  1Meg |Spice_Lib_File= t.lib ",
       "Value=x|Sim.Library=t.lib|Sim.Name=DD|Sim.Params= 1M|Sim.Pins=1=A 2=K"},
      // No such model or file: a raw element naming them.
      {"U5", "nope", "Spice_Primitive=X|Spice_Model=nope x=1|Spice_Lib_File=t.lib",
       "Value=nope|Sim.Device=SPICE|Sim.Params=type=\"X\" model=\"nope\" lib=\"t.lib\"|Sim.Pins=1=1 2=2 3=3 10=4"},
      {"U7", "n", "Spice_Primitive=X|Spice_Model=opx|Spice_Lib_File=missing.lib|Spice_Node_Sequence=2 1",
       "Value=n|Sim.Device=SPICE|Sim.Params=type=\"X\" model=\"opx\" lib=\"missing.lib\"|Sim.Pins=2=1 1=2"},
      // A fault while KiCad read the library: a raw element, yet with the
      // model's pins.
      {"U8", "opx", "Spice_Primitive=X|Spice_Lib_File=f.lib",
       "Value=${SIM.PARAMS}|Sim.Device=SPICE|Sim.Params=type=\"X\" model=\"opx\" lib=\"f.lib\"|"
       "Sim.Pins=1=in+ 2=in- 3=vcc 4=vee 5=out"},
      {"D8", "d", "Spice_Primitive=D|Spice_Model=dd 2|Spice_Lib_File=f.lib",
       "Value=d|Sim.Device=SPICE|Sim.Params=type=\"D\" model=\"dd\" lib=\"f.lib\"|Sim.Pins=1=A 2=K"},
  };
  for (const Case& c : cases) EXPECT_EQ(migrated(c, {"10", "2", "3", "1"}), c.expected) << c.reference;
}

TEST(KicadSimFieldsTest, NodeSequencesAsKicadTokenisesThem) {
  const struct {
    const char* sequence;
    const char* pins;
  } cases[] = {
      {"2 1", "2=1 1=2"},          {"1, 2", "1=1 1=2 2=3"}, {"{1 2}", "1=1 1=2 2=3"}, {" 1 2", "1=1 1=2 2=3"},
      {"1 2 ", "1=1 2=2"},         {"2a 1", "2=1 1=2"},     {"x y", "1=1 1=2"},       {"1\t2", "1=1"},
      {"-3 +4 0x10 007", "-3=1 4=2 0=3 7=4"},
  };
  for (const auto& c : cases) {
    const Case row{"R1", "1k", "", ""};
    std::vector<KicadNamedValue> fields = fieldsOf("R1", "1k", std::string("Spice_Primitive=R|Spice_Node_Sequence=") + c.sequence);
    migrateKicadSimFields(fields, {row.reference, {"1", "2"}}, [](std::string_view, std::string_view) { return nullptr; });
    EXPECT_EQ(shown(fields), std::string("Value=1k|Sim.Pins=") + c.pins) << c.sequence;
  }
  std::vector<KicadNamedValue> empty = fieldsOf("R1", "1k", "Spice_Primitive=R|Spice_Node_Sequence=");
  migrateKicadSimFields(empty, {"R1", {"1", "2"}}, [](std::string_view, std::string_view) { return nullptr; });
  EXPECT_EQ(shown(empty), "Value=1k");
}

TEST(KicadSimFieldsTest, KicadSevenFieldsAreFixedNotRebuilt) {
  const Case cases[] = {
      {"R3", "10k", "Sim.Device=R|Sim.Type=POT|Sim.Pins=1=+ 2=-|Sim.Params=r=1k",
       "Value=10k|Sim.Device=R|Sim.Type=POT|Sim.Pins=1=r1 2=r0|Sim.Params=r=1k"},
      {"V1", "x", "Sim.Device=V|Sim.Type=RANDNORMAL|Sim.Params=min=0 max=0 dt=5 Foo=1",
       "Value=x|Sim.Device=V|Sim.Type=RANDGAUSSIAN|Sim.Params=ts=5 foo=1"},
      {"V2", "x", "Sim.Device=V|Sim.Type=randUniform|Sim.Params=dt=5",
       "Value=x|Sim.Device=V|Sim.Type=randUniform|Sim.Params=ts=5"},
      {"L1", "x", "Sim.Device=L|Sim.Type=MUTUAL|Sim.Params=k=1", "Value=x|Sim.Device=K|Sim.Params=k=1"},
      {"L2", "x", "Sim.Type=mutual|Sim.Params=k=1", "Value=x|Sim.Params=k=1|Sim.Device=K"},
      // Current fields present: legacy ones are left as they are.
      {"V5", "x", "Sim.Device=V|Spice_Primitive=V|Spice_Model=dc 1",
       "Value=x|Sim.Device=V|Spice_Primitive=V|Spice_Model=dc 1"},
      // KiCad 7's interim names.
      {"R1", "10k", "Sim_Device=R|Sim_Type=POT|Sim_Pins=2 1|Sim_Params=r=1k",
       "Value=10k|Sim.Device=R|Sim.Type=POT|Sim.Pins=1=- 2=+|Sim.Params=r=1k"},
      {"R2", "10k", "Sim_Pins=1 2", "Value=10k|Sim.Pins=1=+ 2=-"},
      {"U1", "x", "Sim_Pins=3 1 2|Sim_Device=NPN", "Value=x|Sim.Pins=1=3 2=1 3=2|Sim.Device=NPN"},
      // Legacy fields win over the interim names, which stay.
      {"V6", "x", "Spice_Primitive=V|Spice_Model=dc 1|Sim_Device=V",
       "Value=1|Sim_Device=V|Sim.Device=V|Sim.Type=DC|Sim.Pins=1=+ 2=-"},
  };
  // As in the files kicad-cli read: a three-pin transistor, two-pin parts.
  for (const Case& c : cases) {
    const std::vector<std::string_view> pins =
        c.reference[0] == 'U' ? std::vector<std::string_view>{"1", "2", "3"} : std::vector<std::string_view>{"1", "2"};
    EXPECT_EQ(migrated(c, pins), c.expected) << c.reference << " " << c.fields;
  }
}

// Every match of a long field is replaced, each once: a replacement is not
// searched again. Hostile files hold fields of megabytes.
TEST(KicadSimFieldsTest, FieldsOfManyMatchesAreRewrittenWhole) {
  constexpr size_t kCount = 200000;
  std::string pins;
  std::string fixedPins;
  for (size_t i = 0; i < kCount; ++i) {
    pins += "=+";
    fixedPins += "=r1";
  }
  std::string quotes(kCount, '"');
  std::string quoted;
  for (size_t i = 0; i < kCount; ++i) quoted += "\\\"";
  const auto none = [](std::string_view, std::string_view) -> const KicadSpiceModel* { return nullptr; };

  std::vector<KicadNamedValue> pot = fieldsOf("R1", "10k", "Sim.Device=R|Sim.Type=POT|Sim.Pins=" + pins);
  migrateKicadSimFields(pot, {"R1", {"1", "2"}}, none);
  EXPECT_EQ(pot[7].value, fixedPins);

  std::vector<KicadNamedValue> source = fieldsOf("V1", "x", "Spice_Primitive=V|Spice_Model=sin(" + quotes + ")");
  migrateKicadSimFields(source, {"V1", {"1", "2"}}, none);
  EXPECT_EQ(shown(source), "Value=x|Sim.Device=V|Sim.Type=SIN|Sim.Params=dc=\"" + quoted + "\"|Sim.Pins=1=+ 2=-");

  std::vector<KicadNamedValue> random =
      fieldsOf("V2", "x", "Sim.Device=V|Sim.Type=RANDUNIFORM|Sim.Params=min=min=0 0 max=0 dt=dt=1");
  migrateKicadSimFields(random, {"V2", {"1", "2"}}, none);
  EXPECT_EQ(shown(random), "Value=x|Sim.Device=V|Sim.Type=RANDUNIFORM|Sim.Params=min=0 ts=ts=1");
}

TEST(KicadSimFieldsTest, EnableFieldsAreFlags) {
  const struct {
    const char* name;
    const char* value;
    bool isFlag;
    bool excluded;
  } cases[] = {
      {"Spice_Netlist_Enabled", "N", true, true}, {"Spice_Netlist_Enabled", "Y", true, false},
      {"Spice_Netlist_Enabled", "n", true, false}, {"Sim.Enable", "0", true, true},
      {"Sim.Enable", "1", true, false},           {"Sim.Enable", "N", true, false},
      {"sim.enable", "0", false, false},           {"Spice_Model", "N", false, false},
  };
  for (const auto& c : cases) {
    bool excluded = false;
    EXPECT_EQ(kicadSimEnableField(c.name, c.value, excluded), c.isFlag) << c.name;
    EXPECT_EQ(excluded, c.excluded) << c.name << "=" << c.value;
  }
}

}  // namespace
}  // namespace comptab
