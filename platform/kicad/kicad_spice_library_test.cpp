// SPICE libraries as KiCad 10 reads them for a legacy Spice_Lib_File: the
// pins each model gets (checked with kicad-cli 10.0.7 on the same models),
// and the faults that make KiCad give up on the whole file.
#include "platform/kicad/kicad_spice_library.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

std::string pinsOf(const KicadSpiceLibrary& library, const char* name) {
  const KicadSpiceModel* model = library.find(name);
  if (model == nullptr) return "(none)";
  std::string out = model->subcircuit ? "X:" : "";
  for (const std::string& pin : model->pins) out += pin + " ";
  return out;
}

TEST(KicadSpiceLibraryTest, GivesEachModelItsPins) {
  const std::optional<KicadSpiceLibrary> library = KicadSpiceLibrary::parse(
      "* a comment line\n"
      ".model DD D(IS=1e-14)\n"
      ".model QN npn(IS=1e-14)\n"
      ".MODEL QP PNP (IS=8.6E-18,BF=91)\n"
      ".model JN NJF\n"
      ".model MN NMOS level=1\n"
      ".model VD VDMOS\n"
      ".model SWX SW\n"
      ".model RR R\n"
      ".model ZN NMF\n"
      ".subckt OPX in+ in- vcc vee\n"
      "+ out\n"
      "R1 in+ in- 1k\n"
      ".ends\n"
      ".subckt SUB2 a b params: x=1\n"
      ".SubCkt MIX A B ; a comment\r\n"
      ".subckt SUB3 a b c=5\n"
      ".subckt EMPTY\n");
  ASSERT_TRUE(library);
  const struct {
    const char* name;
    const char* pins;
  } cases[] = {
      {"dd", "A K "},        {"QN", "C B E <S> "},       {"qp", "C B E <S> "},     {"JN", "D G S "},
      {"MN", "D G S B "},    {"VD", "D G S <TJ> "},      {"SWX", "ctrl+ ctrl- no+ no- "},
      {"RR", ""},            {"ZN", "D G S "},           {"opx", "X:in+ in- vcc vee out "},
      {"SUB2", "X:a b "},    {"mix", "X:A B "},          {"SUB3", "X:a b "},       {"EMPTY", "X:"},
      {"nope", "(none)"},
  };
  for (const auto& c : cases) EXPECT_EQ(pinsOf(*library, c.name), c.pins) << c.name;
}

TEST(KicadSpiceLibraryTest, OneBadModelLosesTheWholeLibrary) {
  for (const char* bad : {".model FOO FOO\n", ".model BAD\n", ".model BAD2 NPN(IS=1 BF=\n", ".model X D)(\n"})
    EXPECT_FALSE(KicadSpiceLibrary::parse(std::string(".model DD D\n") + bad)) << bad;
}

TEST(KicadSpiceLibraryTest, FindsFilesBesideTheProjectOnce) {
  ScratchDir dir;
  std::ofstream(dir.path() + "/t.lib") << ".model DD D\n";
  KicadSpiceLibraries libraries(dir.path());
  EXPECT_NE(libraries.find("t.lib", "dd"), nullptr);
  EXPECT_NE(libraries.find("${KIPRJMOD}/t.lib", "DD"), nullptr);
  EXPECT_NE(libraries.find(dir.path() + "/t.lib", "DD"), nullptr);
  EXPECT_EQ(libraries.find("t.lib", "other"), nullptr);
  EXPECT_EQ(libraries.find("T.LIB", "DD"), nullptr);
  EXPECT_EQ(libraries.find("${SPICE_LIBS}/t.lib", "DD"), nullptr);
  // Read once: a later change of the file is not seen.
  std::ofstream(dir.path() + "/t.lib") << ".model EE D\n";
  EXPECT_EQ(libraries.find("t.lib", "EE"), nullptr);
  // Nor under another spelling of the same path.
  EXPECT_EQ(libraries.find("./t.lib", "EE"), nullptr);
  EXPECT_EQ(libraries.find("${KIPRJMOD}//./t.lib", "EE"), nullptr);
}

}  // namespace
}  // namespace comptab
