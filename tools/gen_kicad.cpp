#include "tools/gen_kicad.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kLibrary = R"((lib_symbols
    (symbol "Device:R" (pin_numbers hide) (exclude_from_sim no) (in_bom yes) (on_board yes)
      (property "Reference" "R" (at 2.032 0 90) (effects (font (size 1.27 1.27))))
      (property "Value" "R" (at 0 0 90) (effects (font (size 1.27 1.27))))
      (symbol "R_0_1" (rectangle (start -1.016 -2.54) (end 1.016 2.54) (stroke (width 0.254) (type default)) (fill (type none))))
      (symbol "R_1_1"
        (pin passive line (at 0 3.81 270) (length 1.27) (name "~" (effects (font (size 1.27 1.27)))) (number "1" (effects (font (size 1.27 1.27)))))
        (pin passive line (at 0 -3.81 90) (length 1.27) (name "~" (effects (font (size 1.27 1.27)))) (number "2" (effects (font (size 1.27 1.27)))))))
    (symbol "Device:C" (pin_numbers hide) (exclude_from_sim no) (in_bom yes) (on_board yes)
      (property "Reference" "C" (at 0.635 2.54 0) (effects (font (size 1.27 1.27))))
      (symbol "C_1_1"
        (pin passive line (at 0 3.81 270) (length 2.794) (name "~" (effects (font (size 1.27 1.27)))) (number "1" (effects (font (size 1.27 1.27)))))
        (pin passive line (at 0 -3.81 90) (length 2.794) (name "~" (effects (font (size 1.27 1.27)))) (number "2" (effects (font (size 1.27 1.27)))))))
    (symbol "Amplifier_Operational:LM358" (exclude_from_sim no) (in_bom yes) (on_board yes)
      (property "Reference" "U" (at 0 5.08 0) (effects (font (size 1.27 1.27)) (justify left)))
      (symbol "LM358_1_1"
        (pin output line (at 7.62 0 180) (length 2.54) (name "~" (effects (font (size 1.27 1.27)))) (number "1" (effects (font (size 1.27 1.27)))))
        (pin input line (at -7.62 -2.54 0) (length 2.54) (name "-" (effects (font (size 1.27 1.27)))) (number "2" (effects (font (size 1.27 1.27)))))
        (pin input line (at -7.62 2.54 0) (length 2.54) (name "+" (effects (font (size 1.27 1.27)))) (number "3" (effects (font (size 1.27 1.27))))))
      (symbol "LM358_2_1"
        (pin input line (at -7.62 2.54 0) (length 2.54) (name "+" (effects (font (size 1.27 1.27)))) (number "5" (effects (font (size 1.27 1.27)))))
        (pin input line (at -7.62 -2.54 0) (length 2.54) (name "-" (effects (font (size 1.27 1.27)))) (number "6" (effects (font (size 1.27 1.27)))))
        (pin output line (at 7.62 0 180) (length 2.54) (name "~" (effects (font (size 1.27 1.27)))) (number "7" (effects (font (size 1.27 1.27))))))
      (symbol "LM358_0_1"
        (pin power_in line (at -2.54 -7.62 90) (length 3.81) (name "V-" (effects (font (size 1.27 1.27)))) (number "4" (effects (font (size 1.27 1.27)))))
        (pin power_in line (at -2.54 7.62 270) (length 3.81) (name "V+" (effects (font (size 1.27 1.27)))) (number "8" (effects (font (size 1.27 1.27)))))))
  )
)";

std::string uuid(long kind, long n) {
  char text[64];
  std::snprintf(text, sizeof text, "%08lx-0000-4000-8000-%012lx", kind, n);
  return text;
}

struct Kind {
  const char* libId;
  const char* prefix;
  const char* value;
  const char* footprint;
  int units;
};

const Kind kKinds[] = {
    {"Device:R", "R", "10k", "Resistor_SMD:R_0603_1608Metric", 1},
    {"Device:C", "C", "100n", "Capacitor_SMD:C_0402_1005Metric", 1},
    {"Device:R", "R", "4k7", "Resistor_SMD:R_0603_1608Metric", 1},
    {"Amplifier_Operational:LM358", "U", "LM358", "Package_SO:SOIC-8_3.9x4.9mm_P1.27mm", 2},
};

}  // namespace

int writeKicadProject(long sheets, int perSheet, const std::string& dir) {
  const fs::path design = fs::path(dir) / "design";
  fs::create_directories(design);
  const std::string root = uuid(1, 0);
  std::ofstream(design / "design.kicad_pro") << "{\n  \"meta\": { \"filename\": \"design.kicad_pro\", \"version\": 1 }\n}\n";

  std::ofstream top(design / "design.kicad_sch");
  top << "(kicad_sch\n  (version 20231120)\n  (generator \"gen_design\")\n  (uuid \"" << root
      << "\")\n  (paper \"A3\")\n  (lib_symbols)\n";
  for (long s = 0; s < sheets; ++s) {
    top << "  (sheet (at " << 20 + (s % 10) * 35 << " " << 20 + (s / 10 % 7) * 35
        << ") (size 30 20) (fields_autoplaced yes)\n    (stroke (width 0.1524) (type solid))\n    (uuid \""
        << uuid(2, s) << "\")\n    (property \"Sheetname\" \"ch" << s + 1
        << "\" (at 20 19 0) (effects (font (size 1.27 1.27)) (justify left bottom)))\n"
           "    (property \"Sheetfile\" \"channel.kicad_sch\" (at 20 41 0) (effects (font (size 1.27 1.27)) (justify left top)))\n"
           "    (instances (project \"design\" (path \"/"
        << root << "\" (page \"" << s + 2 << "\")))))\n";
  }
  top << "  (sheet_instances (path \"/\" (page \"1\")))\n)\n";

  std::ofstream channel(design / "channel.kicad_sch");
  channel << "(kicad_sch\n  (version 20231120)\n  (generator \"gen_design\")\n  (uuid \"" << uuid(3, 0)
          << "\")\n  (paper \"A3\")\n  " << kLibrary << "\n";
  long reference = 0;
  long amplifier = 0;  // the reference of the op-amp whose first unit came last
  for (int i = 0; i < perSheet; ++i) {
    const Kind& kind = kKinds[i % 4];
    const int unit = kind.units > 1 ? i / 4 % 2 + 1 : 1;
    // Both units of an op-amp share a reference.
    const long own = kind.units > 1 && unit == 2 && amplifier != 0 ? amplifier : ++reference;
    if (kind.units > 1 && unit == 1) amplifier = own;
    channel << "  (symbol (lib_id \"" << kind.libId << "\") (at " << 10 + (i % 40) * 10 << "." << i % 7 << " "
            << 10 + (i / 40 % 28) * 10 << " 0) (unit " << unit
            << ")\n    (exclude_from_sim no) (in_bom yes) (on_board yes) (dnp no)\n    (uuid \"" << uuid(4, i)
            << "\")\n    (property \"Reference\" \"" << kind.prefix << "?\" (at 0 0 0) (effects (font (size 1.27 1.27))))\n"
            << "    (property \"Value\" \"" << kind.value << "\" (at 0 2 0) (effects (font (size 1.27 1.27))))\n"
            << "    (property \"Footprint\" \"" << kind.footprint
            << "\" (at 0 0 0) (effects (font (size 1.27 1.27)) hide))\n"
               "    (property \"Datasheet\" \"~\" (at 0 0 0) (effects (font (size 1.27 1.27)) hide))\n"
               "    (pin \"1\" (uuid \""
            << uuid(5, i) << "\"))\n    (pin \"2\" (uuid \"" << uuid(6, i) << "\"))\n    (instances (project \"design\"\n";
    for (long s = 0; s < sheets; ++s)
      channel << "      (path \"/" << root << "/" << uuid(2, s) << "\" (reference \"" << kind.prefix
              << (s + 1) * 10000 + own << "\") (unit " << unit << "))\n";
    channel << "    ))\n  )\n";
  }
  channel << ")\n";
  if (!top || !channel) return 1;
  std::cout << sheets * perSheet << "\n";
  return 0;
}
