// SPICE numbers as KiCad 10 rewrites them into Sim.Params: every case is
// what kicad-cli 10.0.7 wrote for the same argument of a legacy source.
#include "platform/kicad/kicad_sim_value.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(KicadSimValueTest, SpiceNumbersTakeTheSiPrefixBelowThem) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      // Plain decimals are not read at all, so they keep their form.
      {"0.5", "0.5"}, {"00012", "00012"}, {"0.00", "0.00"}, {"1.2.3", "1.2.3"}, {".", "."}, {"5.", "5."},
      {"123456789", "123456789"},
      // Prefixes in any case; SPICE's M is milli, Meg is mega.
      {"10meg", "10M"}, {"1megohm", "1M"}, {"1M", "1m"}, {"1T", "1T"}, {"1t", "1T"}, {"1g", "1G"},
      {"1K", "1k"}, {"1U", "1u"}, {"1N", "1n"}, {"1P", "1p"}, {"1mil", "1m"}, {"10mV", "10m"},
      // Exponents fold into the prefix; the significand is not normalised.
      {"1e10", "10G"}, {"1.5e-9", "1.5n"}, {"2345e-3", "2345m"}, {"1e3k", "1M"}, {"1.e2", "100"},
      {"1E2", "100"}, {"1.0e+3", "1k"}, {"5e02", "500"}, {"-1e2k", "-100k"}, {"2.50k", "2.5k"},
      // The ends of the prefix ranges: -15 goes to atto, past 10^21 none.
      {"1F", "1000a"}, {"2f", "2000a"}, {"1e-16", "100a"}, {"1e-18", "1a"}, {"1e-19", "1e-19"},
      {"1e15", "1P"}, {"1e18", "1E"}, {"1e21", "1000E"}, {"1e22", "1e+22"}, {"1e14", "100T"},
      {"1e40", "1e+40"}, {"1e400", "inf"}, {"1e-400", "0"}, {"-1e2147483647t", "-inf"}, {"1e-2147483648f", "0"}, {"123456789k", "1.23457e+08k"},
      // A sign, letters after the number (a unit), a comma for the point.
      {"-4", "-4"}, {"+3", "3"}, {"-0", "-0"}, {"-.5", "-.5"}, {"10V", "10"}, {"100a", "100"}, {"7x", "7"},
      {"1,5", "1.5"}, {"1,5k", "1.5k"}, {"-", "0"}, {"-k", "0k"},
      // No number: kept as written.
      {"abc", "abc"}, {"1e", "1e"}, {"1e+", "1e+"}, {"e3", "e3"}, {"1k5", "1k5"}, {"--1", "--1"}, {"+", "+"},
      {"1_2", "1_2"}, {"5V5", "5V5"}, {"1p2", "1p2"}, {"1/2", "1/2"}, {"{x}", "{x}"}, {"a,b", "a,b"},
      {"0.5,2", "0.5,2"}, {"7\xce\xa9", "7\xce\xa9"}, {"ac", "ac"},
  };
  for (const auto& c : cases) EXPECT_EQ(kicadSpiceToSi(c.in), c.out) << c.in;
}

TEST(KicadSimValueTest, MegBecomesMOnlyBetweenNonLetters) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"am(0.5 1 10meg 50meg 20n)", "am(0.5 1 10meg 50meg 20n)"},  // lower-case m: left alone
      {"1MEG 3Meg", "1M 3M"},  {"abc 1Meg", "abc 1M"}, {"3MEGA", "3MA"}, {"1Megohm", "1Megohm"},
      {"Meg", "Meg"},          {"x1Meg", "x1M"},        {"aMeg", "aMeg"}, {"1MeG)", "1M)"},
      {"1Meg2Meg", "1M2Meg"},  // the "2" went with the first match
  };
  for (const auto& c : cases) EXPECT_EQ(kicadDropMeg(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace comptab
