// SPICE libraries as KiCad 10 reads them for a legacy Spice_Lib_File: the
// pins each model gets, the faults that make KiCad give up on a whole
// file, and the files it includes (checked with kicad-cli 10.0.7 on the
// same libraries, but for the loops, on which it crashes).
#include "platform/kicad/kicad_spice_library.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
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

TEST(KicadSpiceLibraryTest, OnlyAModelWithoutATypeLosesTheWholeFile) {
  for (const char* bad : {".model BAD\n", ".model\n", ".MODEL BAD ; D\n"})
    EXPECT_FALSE(KicadSpiceLibrary::parse(std::string(".model DD D\n") + bad)) << bad;
  // Faults KiCad reads past: an unknown type gives a model without pins,
  // the type ends at a parenthesis whether or not they balance.
  const struct {
    const char* line;
    const char* pins;
  } cases[] = {
      {".model X FOO\n", ""},
      {".model X NPN(IS=1 BF=\n", "C B E <S> "},
      {".model X D)(\n", "A K "},
      {".model X D,IS=1\n", "A K "},
  };
  for (const auto& c : cases) {
    const std::optional<KicadSpiceLibrary> library = KicadSpiceLibrary::parse(std::string(".model DD D\n") + c.line);
    ASSERT_TRUE(library) << c.line;
    EXPECT_EQ(pinsOf(*library, "X"), c.pins) << c.line;
    EXPECT_EQ(pinsOf(*library, "DD"), "A K ") << c.line;
  }
}

TEST(KicadSpiceLibraryTest, ReadsIncludeLinesAsKiCadDoes) {
  const std::optional<KicadSpiceLibrary> library = KicadSpiceLibrary::parse(
      ".model A D\n"
      ".include plain.lib\n"
      ".INC \"with space.lib\"\r\n"
      "  .Include 'apostrophes.lib' ; note\n"
      ".incxyz any.lib\n"
      ".include trailing.lib   \n"
      ".include cut.lib;note\n"
      ".include ${KIPRJMOD}/x.lib\n"
      ".model B D\n"
      ".include \"junk.lib\" after\n"
      ".include\n"
      "* .include comment.lib\n"
      ".subckt S a b\n"
      ".include in-subckt.lib\n"
      ".ends\n"
      ".include last.lib\n");
  ASSERT_TRUE(library);
  std::string seen;
  for (const KicadSpiceLibrary::Include& include : library->includes())
    seen += "[" + include.path + "]" + std::to_string(include.modelsBefore) + " ";
  EXPECT_EQ(seen,
            "[plain.lib]1 [with space.lib]1 [apostrophes.lib]1 [any.lib]1 [trailing.lib   ]1 [cut.lib]1 []1 "
            "[last.lib]3 ");
}

// What a symbol gets from a library: "(none)", the model's pins, or
// "raw" and the pins where KiCad reported a fault while reading the
// library (the symbol stays a raw SPICE element).
std::string lookUp(KicadSpiceLibraries& libraries, const char* library, const char* name) {
  const KicadSpiceModel* model = libraries.find(library, name);
  if (model == nullptr) return "(none)";
  std::string out = model->libraryClean ? "" : "raw ";
  for (const std::string& pin : model->pins) out += pin + " ";
  return out;
}

TEST(KicadSpiceLibraryTest, FollowsIncludesAsKiCadDoes) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> files;  // name, text
    const char* library;
    const char* model;
    const char* expected;
  } cases[] = {
      {"beside the including file", {{"libs/m.lib", ".include a.lib\n"}, {"libs/a.lib", ".model DA D\n"}},
       "libs/m.lib", "DA", "A K "},
      {"else from the project folder", {{"libs/m.lib", ".include p.lib\n"}, {"p.lib", ".model DP D\n"}},
       "libs/m.lib", "DP", "A K "},
      {"backslashes from the project folder", {{"m.lib", ".include sub\\a.lib\n"}, {"sub/a.lib", ".model D2 D\n"}},
       "m.lib", "D2", "A K "},
      {"in quotes under ${KIPRJMOD}",
       {{"libs/m.lib", ".include \"${KIPRJMOD}/q.lib\"\n"}, {"q.lib", ".subckt SQ x y\n.ends\n"}}, "libs/m.lib",
       "SQ", "x y "},
      {"nested, each beside its includer",
       {{"m.lib", ".inc n/a.lib\n"}, {"n/a.lib", ".INCLUDE b.lib\n"}, {"n/b.lib", ".model QB NPN\n"}}, "m.lib", "QB",
       "C B E <S> "},
      {"the main file's models stay with a missing include",
       {{"m.lib", ".model DM D\n.include gone.lib\n"}}, "m.lib", "DM", "raw A K "},
      {"a path with a comment after it is not found",
       {{"m.lib", ".model DM D\n.include a.lib ; note\n"}, {"a.lib", ".model DA D\n"}}, "m.lib", "DM", "raw A K "},
      {"an unquoted variable is cut at its '$'",
       {{"m.lib", ".model DM D\n.include ${KIPRJMOD}/a.lib\n"}, {"a.lib", ".model DA D\n"}}, "m.lib", "DA",
       "(none)"},
      {"a folder cannot be read", {{"m.lib", ".model DM D\n.include sub\n"}, {"sub/x", ""}}, "m.lib", "DM",
       "raw A K "},
      {"a model without a type loses its own file only",
       {{"m.lib", ".model DM D\n.include bad.lib\n"}, {"bad.lib", ".model DB D\n.model BAD\n"}}, "m.lib", "DM",
       "raw A K "},
      {"... and what that file defines",
       {{"m.lib", ".model DM D\n.include bad.lib\n"}, {"bad.lib", ".model DB D\n.model BAD\n"}}, "m.lib", "DB",
       "(none)"},
      {"a model without a type in the main file loses the includes too",
       {{"m.lib", ".include a.lib\n.model BAD\n"}, {"a.lib", ".model DA D\n"}}, "m.lib", "DA", "(none)"},
      {"an unknown type in an include is no fault",
       {{"m.lib", ".model DM D\n.include u.lib\n"}, {"u.lib", ".model FOO FOO\n"}}, "m.lib", "DM", "A K "},
      {"an include comes before the main file's later models",
       {{"m.lib", ".include a.lib\n.model DUP NPN\n"}, {"a.lib", ".model DUP D\n"}}, "m.lib", "DUP", "A K "},
      {"the main file's earlier models come first",
       {{"m.lib", ".model DUP NPN\n.include a.lib\n"}, {"a.lib", ".model DUP D\n"}}, "m.lib", "DUP", "C B E <S> "},
      {"a file included twice", {{"m.lib", ".include a.lib\n.include ./a.lib\n"}, {"a.lib", ".model DA D\n"}},
       "m.lib", "DA", "A K "},
      {"no include inside a subcircuit",
       {{"m.lib", ".subckt S a b\n.include gone.lib\n.ends\n.model DM D\n"}}, "m.lib", "DM", "A K "},
      {"a line with more after the quotes is no include",
       {{"m.lib", ".model DM D\n.include \"gone.lib\" x\n"}}, "m.lib", "DM", "A K "},
      {"a file including itself", {{"m.lib", ".model DL D\n.include m.lib\n"}}, "m.lib", "DL", "raw A K "},
      {"files including each other",
       {{"m.lib", ".include sub/a.lib\n"}, {"sub/a.lib", ".model DA D\n.include ../x/../m.lib\n"}}, "m.lib", "DA",
       "raw A K "},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    for (const auto& [name, text] : c.files) dir.file(name, text);
    KicadSpiceLibraries libraries(dir.path());
    EXPECT_EQ(lookUp(libraries, c.library, c.model), c.expected) << c.what;
  }
}

TEST(KicadSpiceLibraryTest, IncludesThatCouldHangAreFaults) {
  // Each file includes the next; past the cap the library counts as faulty
  // and the models read so far stay.
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  for (int i = 0; i < 40; ++i)
    dir.file("c" + std::to_string(i) + ".lib",
             ".model D" + std::to_string(i) + " D\n.include c" + std::to_string(i + 1) + ".lib\n");
  dir.file("c40.lib", ".model D40 D\n");
  KicadSpiceLibraries libraries(dir.path());
  EXPECT_EQ(lookUp(libraries, "c30.lib", "D40"), "A K ");
  EXPECT_EQ(lookUp(libraries, "c0.lib", "D0"), "raw A K ");
  EXPECT_EQ(lookUp(libraries, "c0.lib", "D40"), "(none)");
  // A file links back to a folder above it: no loop through the path.
  dir.file("deep/x.lib", ".model DX D\n");
  std::error_code ignored;
  std::filesystem::create_directory_symlink(dir.path(), dir.file("deep/up"), ignored);
  dir.file("loop.lib", ".include deep/up/loop.lib\n.model DL D\n");
  EXPECT_EQ(lookUp(libraries, "loop.lib", "DL"), "raw A K ");
  // Files that are no text files, read without waiting.
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("self", dir.file("self"), ignored);
  for (const char* include : {"fifo", "/dev/zero", "self", "/"}) {
    const std::string name = std::string("special-") + (include[0] == '/' ? include + 1 : include) + ".lib";
    dir.file(name, std::string(".model DS D\n.include ") + include + "\n");
    EXPECT_EQ(lookUp(libraries, name.c_str(), "DS"), "raw A K ") << include;
  }
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
