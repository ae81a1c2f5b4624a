// `gen_design kicadxml N DIR`: DIR/design.xml, a KiCad XML net list of N
// components in the shape KiCad 8 writes for its BOM generators: fields,
// library source, sheet paths on three levels, "dnp" and
// "exclude_from_bom" flags on a few parts, a library part for each symbol
// and a net for each pair of neighbouring components. The bytes depend only
// on N.
#include "tools/gen_kicad_xml.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

struct XmlPart {
  const char* lib;
  const char* part;
  const char* value;
  const char* prefix;
  const char* footprint;
  const char* description;
  int pins;
};

const XmlPart kXmlParts[] = {
    {"Device", "R", "10k", "R", "Resistor_SMD:R_0603_1608Metric", "Resistor", 2},
    {"Device", "R", "4k7", "R", "Resistor_SMD:R_0603_1608Metric", "Resistor", 2},
    {"Device", "C", "100n", "C", "Capacitor_SMD:C_0402_1005Metric", "Unpolarized capacitor", 2},
    {"Device", "C", "10u", "C", "Capacitor_SMD:C_0805_2012Metric", "Unpolarized capacitor", 2},
    {"Device", "R", "100R", "R", "Resistor_SMD:R_0805_2012Metric", "Resistor", 2},
    {"Device", "L", "10uH", "L", "Inductor_SMD:L_1210_3225Metric", "Inductor", 2},
    {"Amplifier_Operational", "LM358", "LM358", "U", "Package_SO:SOIC-8_3.9x4.9mm_P1.27mm",
     "Low-Power, Dual Operational Amplifiers", 8},
    {"Connector", "Conn_01x04", "Conn_01x04", "J", "Connector_PinHeader_2.54mm:PinHeader_1x04_P2.54mm_Vertical",
     "Generic connector, single row, 01x04", 4},
};
constexpr long kXmlPartCount = sizeof(kXmlParts) / sizeof(kXmlParts[0]);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// A fixed-looking UUID made from a counter.
void uuid(std::FILE* out, long n) { std::fprintf(out, "5e1f%04lx-0000-4000-8000-%012lx", n % 0x10000, n); }

}  // namespace

int writeKicadXml(long n, const std::string& dir) {
  namespace fs = std::filesystem;
  fs::create_directories(dir);
  const fs::path path = fs::path(dir) / "design.xml";
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    std::cerr << "gen_design: cannot write " << path << "\n";
    return 1;
  }
  std::FILE* out = file.get();
  std::fputs(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<export version=\"E\">\n"
      "  <design>\n"
      "    <source>/synthetic/design.kicad_sch</source>\n"
      "    <date>2026-01-01T00:00:00</date>\n"
      "    <tool>Eeschema 8.0.4</tool>\n"
      "    <sheet number=\"1\" name=\"/\" tstamps=\"/\">\n"
      "      <title_block>\n"
      "        <title>Synthetic</title>\n"
      "        <company/>\n"
      "        <rev>1</rev>\n"
      "        <date/>\n"
      "        <source>design.kicad_sch</source>\n"
      "      </title_block>\n"
      "    </sheet>\n"
      "  </design>\n"
      "  <components>\n",
      out);
  for (long i = 0; i < n; ++i) {
    const XmlPart& p = kXmlParts[i % kXmlPartCount];
    // A hundred components a sheet: the first sheet is the root, then
    // channels, every third with a filter sheet inside.
    const long sheet = i / 100;
    std::string names = "/";
    if (sheet > 0) names += "ch" + std::to_string(sheet) + "/";
    if (sheet > 0 && sheet % 3 == 0 && i % 2 == 0) names += "filter/";
    std::fprintf(out, "    <comp ref=\"%s%ld\">\n", p.prefix, i + 1);
    std::fprintf(out, "      <value>%s</value>\n      <footprint>%s</footprint>\n      <datasheet>~</datasheet>\n",
                 p.value, p.footprint);
    std::fprintf(out, "      <description>%s</description>\n      <fields>\n", p.description);
    std::fprintf(out,
                 "        <field name=\"Footprint\">%s</field>\n        <field name=\"Datasheet\">~</field>\n"
                 "        <field name=\"Description\">%s</field>\n",
                 p.footprint, p.description);
    std::fprintf(out, "        <field name=\"MPN\">ACME-%s-%ld</field>\n      </fields>\n", p.part, i % 997);
    std::fprintf(out, "      <libsource lib=\"%s\" part=\"%s\" description=\"%s\"/>\n", p.lib, p.part, p.description);
    std::fprintf(out, "      <property name=\"MPN\" value=\"ACME-%s-%ld\"/>\n", p.part, i % 997);
    std::fprintf(out, "      <property name=\"Sheetname\" value=\"%s\"/>\n",
                 sheet == 0 ? "Root" : ("ch" + std::to_string(sheet)).c_str());
    std::fprintf(out, "      <property name=\"Sheetfile\" value=\"%s\"/>\n",
                 sheet == 0 ? "design.kicad_sch" : "channel.kicad_sch");
    if (i % 50 == 49) std::fputs("      <property name=\"dnp\"/>\n", out);
    if (i % 70 == 69) std::fputs("      <property name=\"exclude_from_bom\"/>\n", out);
    std::fprintf(out, "      <sheetpath names=\"%s\" tstamps=\"/\"/>\n      <tstamps>", names.c_str());
    uuid(out, i + 1);
    std::fputs("</tstamps>\n    </comp>\n", out);
  }
  std::fputs("  </components>\n  <libparts>\n", out);
  for (long k = 0; k < kXmlPartCount; ++k) {
    const XmlPart& p = kXmlParts[k];
    bool seen = false;
    for (long j = 0; j < k; ++j) seen = seen || std::string(kXmlParts[j].part) == p.part;
    if (seen) continue;
    std::fprintf(out, "    <libpart lib=\"%s\" part=\"%s\">\n      <description>%s</description>\n", p.lib, p.part,
                 p.description);
    std::fprintf(out, "      <docs>~</docs>\n      <fields>\n        <field name=\"Reference\">%s</field>\n", p.prefix);
    std::fprintf(out, "        <field name=\"Value\">%s</field>\n      </fields>\n      <pins>\n", p.value);
    for (int pin = 1; pin <= p.pins; ++pin)
      std::fprintf(out, "        <pin num=\"%d\" name=\"~\" type=\"passive\"/>\n", pin);
    std::fputs("      </pins>\n    </libpart>\n", out);
  }
  std::fputs(
      "  </libparts>\n  <libraries>\n    <library logical=\"Device\">\n"
      "      <uri>${KICAD8_SYMBOL_DIR}/Device.kicad_sym</uri>\n    </library>\n  </libraries>\n  <nets>\n",
      out);
  // Pin 2 of each component meets pin 1 of the next.
  for (long i = 0; i + 1 < n; ++i) {
    const XmlPart& a = kXmlParts[i % kXmlPartCount];
    const XmlPart& b = kXmlParts[(i + 1) % kXmlPartCount];
    std::fprintf(out, "    <net code=\"%ld\" name=\"Net-(%s%ld-Pad2)\" class=\"Default\">\n", i + 1, a.prefix, i + 1);
    std::fprintf(out, "      <node ref=\"%s%ld\" pin=\"2\" pintype=\"passive\"/>\n", a.prefix, i + 1);
    std::fprintf(out, "      <node ref=\"%s%ld\" pin=\"1\" pintype=\"passive\"/>\n    </net>\n", b.prefix, i + 2);
  }
  std::fputs("  </nets>\n</export>\n", out);
  if (std::ferror(out)) {
    std::cerr << "gen_design: cannot write " << path << "\n";
    return 1;
  }
  std::cout << n << "\n";
  return 0;
}
