// Writes synthetic designs in comptab's own formats for the benchmark
// (scripts/bench, docs/performance.md). The output depends only on the
// arguments, so two runs write the same bytes.
//
//   gen_design sheet N DIR        DIR/design.sht: one sheet of about N components
//   gen_design circuit S C D DIR  DIR/design.cir: S sheet instances of C
//                                 components, blocks nesting D levels
//   gen_design kcdb DIR           DIR/kcdb.sql: the rows of a KCDB that knows most
//                                 parts, to follow platform/kcdb/kcdb_schema.sql
//   gen_design kicad S C DIR      DIR/design/design.kicad_pro: S instances of a
//                                 KiCad channel sheet of C symbols (gen_kicad.cpp)
//   gen_design kicadxml N DIR     DIR/design.xml: a KiCad XML net list of N
//                                 components (gen_kicad_xml.cpp)
//
// Every design gets data/kordata.rsc (naming ../kcdb.db beside the design)
// and data/vmdata.rsc with the destinations LITE and PRO.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/gen_kicad.h"
#include "tools/gen_kicad_xml.h"

namespace {

namespace fs = std::filesystem;

// The parts the generator draws from; the last two are not in the KCDB.
struct Part {
  const char* partName;
  const char* value;
  const char* prefix;  // reference prefix
  int gates;           // 0: one symbol; 2 or 4: gate symbols and a power box
  int pins;            // pins of a one-symbol part
  bool known;
};

const Part kParts[] = {
    {"RES-0603", "10k", "R", 0, 2, true},       {"RES-0603", "4k7", "R", 0, 2, true},
    {"RES-0805", "100R", "R", 0, 2, true},      {"CAP-0402", "100n", "C", 0, 2, true},
    {"CAP-0805", "10u", "C", 0, 2, true},       {"RES-0603", "22k", "R", 0, 2, true},
    {"CAP-0402", "1n", "C", 0, 2, true},        {"QNAND-14", "74HC00", "U", 4, 0, true},
    {"DUALOP-8", "LM358", "U", 2, 0, true},     {"LDO-5V", "LM1117", "U", 0, 3, true},
    {"MCU-64", "STM32", "U", 0, 16, true},      {"HDR-1X8", "HDR", "J", 0, 8, true},
    {"IC-SOIC8", "EEPROM", "U", 0, 8, true},    {"RES-0603", "1k", "R", 0, 2, true},
    {"CUSTOM-COIL", "10uH", "L", 0, 2, false},  {"OLD-XTAL", "16MHz", "Y", 0, 4, false},
};
constexpr int kPartCount = sizeof(kParts) / sizeof(kParts[0]);

const char* const kGateLetters = "ABCD";

// Pins of gate g (1-based) of a quad NAND and of a dual op-amp.
std::vector<std::string> gatePins(int gates, int g) {
  static const char* const nand[4][3] = {{"1", "2", "3"}, {"4", "5", "6"}, {"9", "10", "8"}, {"12", "13", "11"}};
  static const char* const op[2][3] = {{"3", "2", "1"}, {"5", "6", "7"}};
  std::vector<std::string> pins;
  for (int i = 0; i < 3; ++i) pins.emplace_back(gates == 4 ? nand[g - 1][i] : op[g - 1][i]);
  return pins;
}

// Writes the components of one sheet file. Components 1..blocks are block
// symbols; the rest are parts, chosen by a counter so that files differ.
class SheetWriter {
 public:
  SheetWriter(std::ostream& out, long seed) : out_(out), seed_(seed) {}

  // Writes about `count` components; returns the number written.
  int write(int count, int blocks, bool uniqueRefs, long& refCounter) {
    out_ << "{\"formatVersion\": 1, \"sheet\": {\"region\": [0, 0, 420000, 297000]},\n"
            " \"zone\": {\"pitch\": [5000, 5000], \"firstColumn\": \"A\", \"firstRow\": \"1\"},\n"
            " \"components\": [\n";
    number_ = 0;
    for (int b = 0; b < blocks; ++b) {
      begin("block", 0);
      out_ << ", \"symbolName\": \"BLOCK\", \"properties\": [[\"reference\", \"B" << (b + 1) << "\"]]}";
    }
    long k = seed_;
    while (number_ < count) {
      const Part& p = kParts[static_cast<std::size_t>(k % kPartCount)];
      ++k;
      const long ref = ++refCounter;
      const std::string base = std::string(p.prefix) + (uniqueRefs ? std::to_string(ref) : "?");
      if (p.gates == 0) {
        begin("parts", 0);
        props(p, base, p.partName, ref);
        out_ << ", \"pins\": [";
        for (int i = 1; i <= p.pins; ++i)
          out_ << (i > 1 ? ", " : "") << "{\"properties\": [[\"pinNumber\", \"" << i << "\"], [\"io\", \"IO\"]]}";
        out_ << "]}";
      } else {
        for (int g = 1; g <= p.gates && number_ < count; ++g) {
          begin("gate", 6);
          props(p, uniqueRefs ? base + kGateLetters[g - 1] : base, p.gates == 4 ? "NAND2" : "OPAMP", ref);
          out_ << ", \"pins\": [";
          const auto pins = gatePins(p.gates, g);
          for (std::size_t i = 0; i < pins.size(); ++i)
            out_ << (i ? ", " : "") << "{\"properties\": [[\"pinNumber\", \"" << pins[i] << "\"], [\"io\", \""
                 << (i + 1 < pins.size() ? "IN" : "OUT") << "\"]]}";
          out_ << "]}";
        }
        if (number_ < count) {
          begin("powerBox", 6);
          props(p, base, p.gates == 4 ? "PWR" : "OPPWR", ref);
          const char* vcc = p.gates == 4 ? "14" : "8";
          const char* gnd = p.gates == 4 ? "7" : "4";
          // Not common terminals: the power box's gate number comes from its
          // supply pins, as the library database lists them.
          out_ << ", \"pins\": [{\"properties\": [[\"pinNumber\", \"" << vcc
               << "\"], [\"io\", \"VCC\"]]}, {\"properties\": [[\"pinNumber\", \"" << gnd
               << "\"], [\"io\", \"GND\"]]}]}";
        }
      }
    }
    out_ << "\n]}\n";
    return number_;
  }

 private:
  void begin(const char* type, int kind) {
    ++number_;
    out_ << (number_ > 1 ? ",\n" : "") << "{\"number\": " << number_ << ", \"type\": \"" << type << "\"";
    if (kind) out_ << ", \"kind\": " << kind;
    out_ << ", \"position\": [" << (number_ % 80) * 5000 + 1000 << ", " << (number_ / 80 % 50) * 5000 + 1000 << "]";
  }

  void props(const Part& p, const std::string& ref, const char* componentName, long serial) {
    out_ << ", \"symbolName\": \"" << componentName << "\", \"properties\": [[\"reference\", \"" << ref
         << "\"], [\"value\", \"" << p.value << "\"], [\"partName\", \"" << p.partName << "\"], [\"cdbName\", \""
         << p.partName << "\"], [\"componentName\", \"" << componentName << "\"], [\"footprint\", \"" << p.partName
         << "-FP\"], [\"manufacturer\", \"ACME\"], [\"mpn\", \"ACME-" << p.partName << "\"], [\"tolerance\", \"1%\"]"
         << ", [\"description\", \"synthetic part " << p.value << "\"], [\"supplier\", \"Parts Inc\"], [\"order\", \"SP-"
         << serial % 9973 << "\"]";
    if (serial % 29 == 0) out_ << ", [\"value@PRO\", \"" << p.value << "-PRO\"]";
    if (serial % 37 == 0) out_ << ", [\"partName@LITE\", \"NOT-FITTED\"]";
    out_ << "]";
  }

  std::ostream& out_;
  long seed_;
  int number_ = 0;
};

void writeData(const fs::path& design) {
  fs::create_directories(design / "data");
  std::ofstream(design / "data" / "kordata.rsc") << "formatVersion = 1\nunitsPerUserUnit = 100\nkcdb = \"../../kcdb.db\"\n";
  std::ofstream(design / "data" / "vmdata.rsc") << "destinations = [\"LITE\", \"PRO\"]\n";
}

int writeSheet(long n, const fs::path& dir) {
  const fs::path design = dir / "sheet";
  writeData(design);
  std::ofstream out(design / "design.sht");
  long refs = 0;
  SheetWriter w(out, 0);
  std::cout << w.write(static_cast<int>(n), 0, true, refs) << "\n";
  return 0;
}

// The circuit: trees of sheet instances, each sheet above the deepest level
// holding two blocks of one sheet each. Top-level files are distinct; below
// that each level draws from a pool of four files, so that those files are
// instantiated many times, each instance with its own references.
class CircuitWriter {
 public:
  CircuitWriter(fs::path dir, int perSheet, int depth) : dir_(std::move(dir)), perSheet_(perSheet), depth_(depth) {}

  long write(long instances) {
    long treeSize = (2L << depth_) - 1;
    long trees = (instances + treeSize - 1) / treeSize;
    // The pooled files, with the same parts in every instance.
    for (int level = 1; level <= depth_; ++level)
      for (int f = 0; f < kPool; ++f) {
        std::ofstream out(dir_ / poolName(level, f));
        long refs = 0;
        SheetWriter w(out, level * 7 + f);
        fileCounts_.push_back(w.write(perSheet_, level < depth_ ? 2 : 0, false, refs));
      }
    std::ofstream net(dir_ / "netlist.json");
    net << "{\"formatVersion\": 1, \"sheets\": [\n";
    for (long t = 0; t < trees; ++t) {
      const std::string file = "top" + std::to_string(t) + ".sht";
      std::ofstream out(dir_ / file);
      SheetWriter w(out, t);
      components_ += w.write(perSheet_, depth_ > 0 ? 2 : 0, true, refs_);
      const long id = ++id_;
      net << (t ? ",\n" : "") << "{\"file\": \"" << file << "\", \"id\": " << id << ", \"number\": " << id;
      blocks(net, 0);
      net << "}";
    }
    net << "\n], \"nets\": [{\"name\": \"GND\", \"pins\": [[\"001.cmp1\", \"1\"]]}]}\n";
    return components_;
  }

 private:
  static constexpr int kPool = 4;

  static std::string poolName(int level, int f) {
    return "level" + std::to_string(level) + "_" + std::to_string(f) + ".sht";
  }

  void blocks(std::ostream& net, int level) {
    if (level >= depth_) return;
    net << ", \"blocks\": [";
    for (int b = 1; b <= 2; ++b) {
      const int f = static_cast<int>(id_ % kPool);
      const int count = fileCounts_[static_cast<std::size_t>((level) * kPool + f)];
      const long id = ++id_;
      net << (b > 1 ? ", " : "") << "{\"component\": " << b << ", \"sheets\": [{\"file\": \""
          << poolName(level + 1, f) << "\", \"id\": " << id << ", \"number\": " << id << ", \"components\": [";
      // The instance's own references; one part in a few gets a value of its own.
      const int first = level + 1 < depth_ ? 3 : 1;
      for (int c = first; c <= count; ++c) {
        const long ref = ++refs_;
        net << (c > first ? ", " : "") << "{\"number\": " << c << ", \"properties\": [[\"reference\", \"X" << ref << "\"]";
        if (ref % 23 == 0) net << ", [\"value\", \"V" << ref % 100 << "\"]";
        net << "]}";
      }
      net << "]";
      components_ += count;
      blocks(net, level + 1);
      net << "}]}";
    }
    net << "]";
  }

  fs::path dir_;
  int perSheet_;
  int depth_;
  long id_ = 0;
  long refs_ = 0;
  long components_ = 0;
  std::vector<int> fileCounts_;
};

int writeCircuit(long sheets, int perSheet, int depth, const fs::path& dir) {
  const fs::path design = dir / "design.cir";
  writeData(design);
  CircuitWriter w(design, perSheet, depth);
  std::cout << w.write(sheets) << "\n";
  return 0;
}

int writeKcdb(const fs::path& dir) {
  fs::create_directories(dir);
  std::ofstream out(dir / "kcdb.sql");
  out << "BEGIN;\nINSERT INTO libraries (id, name, present) VALUES (1, 'synthetic', 1);\n";
  std::vector<std::string> devices;
  int component = 0;
  int device = 0;
  for (const Part& p : kParts) {
    if (!p.known) continue;
    bool seen = false;
    for (const auto& d : devices) seen = seen || d == p.partName;
    if (seen) continue;
    devices.emplace_back(p.partName);
    ++device;
    out << "INSERT INTO devices (id, name, library_id) VALUES (" << device << ", '" << p.partName << "', 1);\n";
    auto symbol = [&](const char* name, int type, int gates, const std::vector<std::pair<std::string, int>>& pins) {
      ++component;
      out << "INSERT INTO components (id, device_id, name, type_code, gate_count) VALUES (" << component << ", "
          << device << ", '" << name << "', " << type << ", " << gates << ");\n";
      for (const auto& [pin, gate] : pins)
        out << "INSERT INTO pin_gates (component_id, pin_number, gate_no) VALUES (" << component << ", '" << pin
            << "', " << gate << ");\n";
    };
    int position = 0;
    auto property = [&](const char* name, const std::string& value) {
      out << "INSERT INTO device_properties (device_id, position, name, value) VALUES (" << device << ", "
          << ++position << ", '" << name << "', '" << value << "');\n";
    };
    if (p.gates == 0) {
      property("componentName", p.partName);
      std::vector<std::pair<std::string, int>> pins;
      for (int i = 1; i <= p.pins; ++i) pins.emplace_back(std::to_string(i), 1);
      symbol(p.partName, 2, 1, pins);
    } else {
      const char* gate = p.gates == 4 ? "NAND2" : "OPAMP";
      const char* power = p.gates == 4 ? "PWR" : "OPPWR";
      property("componentName", gate);
      property("componentName", power);
      std::vector<std::pair<std::string, int>> pins;
      for (int g = 1; g <= p.gates; ++g)
        for (const auto& pin : gatePins(p.gates, g)) pins.emplace_back(pin, g);
      symbol(gate, 3, p.gates, pins);
      symbol(power, 4, 1, {{p.gates == 4 ? "14" : "8", 1}, {p.gates == 4 ? "7" : "4", 1}});
    }
    property("partName", p.partName);
  }
  out << "COMMIT;\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "sheet") return writeSheet(std::atol(args[1].c_str()), args[2]);
  if (args.size() == 5 && args[0] == "circuit")
    return writeCircuit(std::atol(args[1].c_str()), std::atoi(args[2].c_str()), std::atoi(args[3].c_str()), args[4]);
  if (args.size() == 2 && args[0] == "kcdb") return writeKcdb(args[1]);
  if (args.size() == 4 && args[0] == "kicad") return writeKicadProject(std::atol(args[1].c_str()), std::atoi(args[2].c_str()), args[3]);
  if (args.size() == 3 && args[0] == "kicadxml") return writeKicadXml(std::atol(args[1].c_str()), args[2]);
  std::cerr << "usage: gen_design sheet N DIR | circuit SHEETS PER_SHEET DEPTH DIR | kcdb DIR | kicad SHEETS PER_SHEET DIR"
               " | kicadxml N DIR\n";
  return 2;
}
