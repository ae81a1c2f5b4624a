#include "kicadbom/bom_command.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "kicadbom/bom_options.h"
#include "kicadbom/bom_text.h"
#include "platform/kicad/kicad_design.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/support/output_stream.h"
#include "platform/support/memory_guard.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "settings/message_codes.h"

namespace comptab {

namespace {

constexpr std::string_view kVariantPlaceholder = "${VARIANT}";

constexpr size_t kMaxLineBytes = 4096;

// One numbered line on standard error, the codes a listing uses for the
// same fault. The line quotes words from outside (the command line, the
// project), so a stray control character in them is shown escaped, never
// sent to the terminal.
int refuseAs(const char* prefix, int code, const std::string& line) {
  std::fprintf(stderr, "%s: ERROR %d: %s\n", prefix, code, printableLine(line, kMaxLineBytes).c_str());
  return 1;
}

int refuse(int code, const std::string& line) { return refuseAs("comptab sch export bom", code, line); }

int refuseProject(int code, const std::string& line) { return refuseAs("comptab", code, line); }

// What a project that cannot be read is refused with.
int openFailureCode(KicadDesign::Failure failure) {
  switch (failure) {
    case KicadDesign::Failure::ProjectFile:
      return msg::kKicadProjectOpen;
    case KicadDesign::Failure::TooLarge:
      return msg::kInstanceDbCreate;
    default:
      return msg::kSheetOpen;
  }
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The input KiCad's export takes, or why not.
bool checkInput(const std::string& input, std::string* reason) {
  if (endsWith(input, ".kicad_sch") || endsWith(input, ".kicad_pro")) return true;
  if (endsWith(input, ".kicad_pcb"))
    *reason = input + ": a board; the BOM comes from the schematic: give the root .kicad_sch or the .kicad_pro";
  else
    *reason = input + ": not a KiCad schematic; give the root .kicad_sch or the .kicad_pro";
  return false;
}

// The names of the fields the listed symbols have beyond KiCad's own five:
// what "*" in --fields adds. Read through resolve(), since the design's
// units hold no copies of their fields.
std::vector<std::string> userFieldNames(const KicadDesign& design) {
  static constexpr std::string_view kMandatory[] = {"Reference", "Value", "Footprint", "Datasheet", "Description"};
  std::set<std::string, std::less<>> names;
  for (const KicadPlacedUnit& unit : design.units()) {
    if (!unit.reference.empty() && unit.reference[0] == '#') continue;
    for (const KicadNamedValue& field : design.resolve(unit, "").fields) {
      bool mandatory = false;
      for (std::string_view m : kMandatory) mandatory = mandatory || field.name == m;
      if (!mandatory && !names.count(field.name)) names.insert(field.name);
    }
  }
  return {names.begin(), names.end()};
}

// Only "*" in --fields needs the names of every field there is.
std::vector<std::string> modelColumns(const BomOptions& options, const KicadDesign& design) {
  const bool star = options.preset.empty() && options.fields && options.fields->find('*') != std::string::npos;
  return bomModelColumns(star ? userFieldNames(design) : std::vector<std::string>());
}

// The export reads the units' fields through resolveViews() or resolve()
// one unit at a time. Only a page draws the sheets, from their files'
// bytes.
std::unique_ptr<KicadDesign> openDesign(const std::string& target, KicadDesign::Failure& failure,
                                        std::string* reason, bool forPage = false) {
  std::string failedFile;
  return KicadDesign::open(target, failure, failedFile, reason, forPage);
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string rootSheetName(const std::string& input) {
  std::string name = baseName(input);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The project file as the person named its folder, for messages.
std::string projectFileShown(const std::string& input, const KicadDesign& design) {
  const std::string folder = directoryPart(input);
  const std::string name = design.projectName() + ".kicad_pro";
  return folder == "." ? name : joinPath(folder, name);
}

template <typename Write>
bool writeFile(const std::string& path, Write write, std::string* reason) {
  const std::string folder = directoryPart(path);
  if (folder != "." && !makeDirectories(folder, reason)) {
    *reason = folder + ": cannot create the folder: " + *reason;
    return false;
  }
  OutputStream out;
  if (!out.open(path, false, reason)) {
    *reason = path + ": cannot write: " + *reason;
    return false;
  }
  write(out);
  if (!out.close(reason)) {
    *reason = path + ": writing failed: " + *reason;
    return false;
  }
  return true;
}

}  // namespace

bool isBomPagePath(std::string_view path) {
  static constexpr std::string_view kSuffix = ".html";
  if (path.size() < kSuffix.size()) return false;
  const std::string_view end = path.substr(path.size() - kSuffix.size());
  for (size_t i = 0; i < kSuffix.size(); ++i) {
    const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] + 32) : end[i];
    if (c != kSuffix[i]) return false;
  }
  return true;
}

std::optional<std::vector<std::string>> bomFieldsRead(const KicadBomPreset& preset) {
  std::vector<std::string> names = {"Reference", preset.sortField};
  for (const KicadBomField& field : preset.fields) {
    // A ${VAR} column may read any field of the symbol.
    if (isGeneratedField(field.name) && field.name != "${QUANTITY}" && field.name != "${ITEM_NUMBER}" &&
        field.name.rfind("${EXCLUDE_FROM_", 0) != 0 && field.name != "${DNP}")
      return std::nullopt;
    names.push_back(field.name);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::vector<BomSheet> bomSheets(const KicadDesign& design) {
  std::vector<BomSheet> sheets;
  sheets.reserve(design.sheets().size());
  for (const KicadSheetInstance& sheet : design.sheets())
    sheets.push_back({sheet.parent < 0 ? design.projectName() : sheet.name, sheet.namePath, baseName(sheet.file)});
  return sheets;
}

BomVariables bomVariables(const KicadDesign& design) {
  BomVariables variables{&design.textVariables(), design.projectName(), {}};
  if (!design.sheets().empty()) variables.rootFile = baseName(design.sheets().front().file);
  return variables;
}

BomUnitList bomUnits(const KicadDesign& design, const std::string& variant, const std::vector<std::string>* keep,
                     const std::vector<BomSheet>* sheets) {
  BomUnitList list;
  std::vector<BomUnit>& units = list.units;
  units.reserve(design.units().size());
  const auto kept = [keep](std::string_view name) {
    return !keep || std::binary_search(keep->begin(), keep->end(), name, std::less<>());
  };
  // Most units' fields are views into the design; only a unit a variant or
  // a text variable changes has texts of its own, kept in the list.
  std::vector<KicadFieldView> views;
  std::vector<KicadFieldView> fields;
  std::vector<KicadFieldView> written;
  for (const KicadPlacedUnit& placed : design.units()) {
    if (!placed.reference.empty() && placed.reference[0] == '#') continue;
    BomUnit& unit = units.emplace_back();
    unit.reference = placed.reference;
    unit.unit = placed.unit;
    unit.multiUnit = placed.lib != nullptr && placed.lib->unitCount > 1;
    // The model has already trimmed the fields KiCad trims (Reference,
    // Value, Footprint, Datasheet, Description); the others keep their blanks.
    fields.clear();
    written.clear();
    if (design.resolveViews(placed, variant, views, unit.attributes)) {
      for (const KicadFieldView& field : views)
        if (kept(field.name)) fields.push_back(field);
    } else {
      const KicadResolvedUnit resolved = design.resolve(placed, variant);
      for (const KicadNamedValue& field : resolved.fields)
        if (kept(field.name)) fields.push_back({list.keep(field.name), list.keep(field.value)});
      for (const KicadNamedValue& field : resolved.written)
        if (kept(field.name)) written.push_back({list.keep(field.name), list.keep(field.value)});
      unit.attributes = resolved.attributes;
    }
    unit.fields = list.keep(fields);
    unit.written = list.keep(written);
    if (sheets) {
      unit.sheet = &(*sheets)[placed.sheet];
      if (placed.file && placed.symbol < placed.file->symbols().size())
        unit.libId = placed.file->symbols()[placed.symbol].libId;
    }
  }
  return list;
}

namespace {

int exportBom(const std::vector<std::string>& words, BomPageWriter writePage) {
  BomOptions options;
  std::string why;
  if (!parseBomOptions(words, options, &why)) return refuse(msg::kDetail, why);
  if (options.help) {
    printBomUsage();
    return 0;
  }
  if (!checkInput(options.input, &why)) return refuse(msg::kSheetOpen, why);
  KicadDesign::Failure failure = KicadDesign::Failure::None;
  const std::unique_ptr<KicadDesign> design = openDesign(options.input, failure, &why, isBomPagePath(options.output));
  if (!design) return refuse(openFailureCode(failure), why);
  KicadBomSettings settings;
  if (!readKicadBomSettings(design->projectJson(), settings, &why))
    return refuse(msg::kKicadProjectOpen, projectFileShown(options.input, *design) + ": " + why);
  for (const std::string& variant : options.variants) {
    bool known = false;
    std::string names;
    for (const KicadNamedValue& v : design->variants()) {
      known = known || v.name == variant;
      names += (names.empty() ? "\"" : ", \"") + v.name + "\"";
    }
    if (!known)
      return refuse(msg::kDetail, "the project has no variant \"" + variant + "\"; " +
                    (names.empty() ? std::string("it has no variants: leave --variant out")
                                   : "its variants are " + names));
  }
  const std::string configured =
      options.output.empty() ? rootSheetName(options.input) + ".csv" : options.output;
  const bool perVariant = options.variants.size() > 1 && configured.find(kVariantPlaceholder) != std::string::npos;
  std::vector<std::string> variants;
  if (perVariant)
    variants = options.variants;
  else
    variants.push_back(options.variants.empty() ? std::string() : options.variants.front());
  // Everything that can be refused is checked before the first file is written.
  KicadBomFormat format;
  if (!chooseBomFormat(options, settings, format, &why)) return refuse(msg::kDetail, why);
  KicadBomPreset preset;
  if (!chooseBomPreset(options, settings, modelColumns(options, *design), preset, &why))
    return refuse(msg::kDetail, why);
  const std::optional<std::vector<std::string>> keep = bomFieldsRead(preset);
  // Only a generated column of its own reads where a unit lies.
  const std::vector<BomSheet> sheets = keep ? std::vector<BomSheet>() : bomSheets(*design);
  const BomVariables variables = bomVariables(*design);
  const bool page = isBomPagePath(configured);
  if (page && !writePage) return refuse(msg::kOutputOpen, configured + ": this build writes no page; give a .csv output");
  // A page without ${VARIANT} shows every variant given, each in a tab; a
  // CSV holds the first one only, as KiCad writes it.
  if (page && !perVariant && options.variants.size() > 1) variants = options.variants;
  const std::string title = baseName(options.input);
  std::vector<std::pair<std::string, BomPage>> pages;
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& variant : variants) {
    const BomUnitList list = bomUnits(*design, variant, keep ? &*keep : nullptr, keep ? nullptr : &sheets);
    const std::vector<BomUnit>& units = list.units;
    const std::string path = replaceAll(configured, kVariantPlaceholder, variant);
    if (!page) {
      files.emplace_back(path, buildBom(units, preset, format, variables));
      continue;
    }
    if (pages.empty() || perVariant) pages.emplace_back(path, BomPage{title, design.get(), &format, {}});
    pages.back().second.tables.push_back(
        {variant.empty() ? rootSheetName(options.input) : variant, buildBomRows(units, preset, format, variables)});
  }
  for (const auto& [path, text] : files)
    if (!writeFile(path, [&text = text](OutputStream& out) { out.write(text); }, &why))
      return refuse(msg::kOutputOpen, why);
  for (const auto& [path, content] : pages)
    if (!writeFile(path, [&content = content, writePage](OutputStream& out) { writePage(content, out); }, &why))
      return refuse(msg::kOutputOpen, why);
  return 0;
}

int projectBom(const std::string& target) {
  std::string why;
  KicadDesign::Failure failure = KicadDesign::Failure::None;
  const std::unique_ptr<KicadDesign> design = openDesign(target, failure, &why);
  if (!design) return refuseProject(openFailureCode(failure), why);
  KicadBomSettings settings;
  if (!readKicadBomSettings(design->projectJson(), settings, &why))
    return refuseProject(msg::kKicadProjectOpen, projectFileShown(target, *design) + ": " + why);
  KicadBomPreset preset;
  KicadBomFormat format;
  const BomOptions defaults;
  if (settings.current)
    preset = *settings.current;
  else
    chooseBomPreset(defaults, settings, bomModelColumns({}), preset, nullptr);
  const std::optional<std::vector<std::string>> keep = bomFieldsRead(preset);
  const std::vector<BomSheet> sheets = keep ? std::vector<BomSheet>() : bomSheets(*design);
  const BomUnitList list = bomUnits(*design, "", keep ? &*keep : nullptr, keep ? nullptr : &sheets);
  const std::vector<BomUnit>& units = list.units;
  if (settings.currentFormat) format = *settings.currentFormat;
  const BomVariables variables = bomVariables(*design);
  OutputStream out = OutputStream::standardOutput();
  out.write(buildBom(units, preset, format, variables));
  if (!out.close(&why)) return refuseProject(msg::kOutputOpen, "standard output: " + why);
  return 0;
}

}  // namespace

// Memory that runs out (a huge design, a low limit) is a numbered refusal
// like any other, never an abort.
int runBomExport(const std::vector<std::string>& words, BomPageWriter writePage) {
  int status = 1;
  std::string why;
  if (runGuarded([&] { status = exportBom(words, writePage); }, &why)) return status;
  return refuse(msg::kOutOfMemory, "not enough memory to write the BOM" + (why.empty() ? "" : ": " + why));
}

int runProjectBom(const std::string& target) {
  int status = 1;
  std::string why;
  if (runGuarded([&] { status = projectBom(target); }, &why)) return status;
  return refuseProject(msg::kOutOfMemory, target + ": not enough memory to write the BOM" + (why.empty() ? "" : ": " + why));
}

void printBomUsage() {
  std::fputs(
      "Usage: comptab sch export bom [OPTIONS] INPUT\n"
      "Writes the bill of materials of a KiCad schematic as KiCad 10's kicad-cli sch export bom does.\n"
      "INPUT: the root .kicad_sch of a project, or its .kicad_pro\n"
      "  -o, --output FILE              the file to write (default: the root sheet's name with .csv,\n"
      "                                 in the current folder); ${VARIANT} stands for the variant;\n"
      "                                 a name ending in .html gets the interactive page of the table\n"
      "                                 beside the schematic instead (a tab per --variant without ${VARIANT})\n"
      "  --variant NAME                 a design variant of the project; repeat it with ${VARIANT}\n"
      "                                 in the output for one file per variant\n"
      "  --preset NAME                  a BOM preset of the project or of KiCad (\"Grouped By Value\", ...);\n"
      "                                 it replaces the field, grouping, sorting and filter options\n"
      "  --format-preset NAME           a format preset of the project or of KiCad (CSV, TSV, Semicolons);\n"
      "                                 it replaces the delimiter and keep options\n"
      "  --fields LIST                  the fields, in order (default: Reference,Value,Footprint,QUANTITY,DNP);\n"
      "                                 QUANTITY, ITEM_NUMBER, DNP, EXCLUDE_FROM_BOM, EXCLUDE_FROM_BOARD and\n"
      "                                 EXCLUDE_FROM_SIM with or without ${}; * for all others; __Name hides one\n"
      "  --labels LIST                  the column titles (default: Refs,Value,Footprint,Qty,DNP)\n"
      "  --group-by LIST                fields whose equal values make one row\n"
      "  --sort-field NAME              the field to sort by (default: Reference)\n"
      "  --sort-asc [true|false]        ascending (default) or descending\n"
      "  --filter TEXT                  only references that match (* and ? wildcards, /regex/)\n"
      "  --exclude-dnp                  leave out do-not-populate parts\n"
      "  --include-excluded-from-bom    accepted; has no effect, as in KiCad 10\n"
      "  --field-delimiter TEXT         between fields (default: ,)\n"
      "  --string-delimiter TEXT        around each field (default: \")\n"
      "  --ref-delimiter TEXT           between references (default: ,)\n"
      "  --ref-range-delimiter TEXT     in ranges such as R1-R4 (default: -; empty: no ranges)\n"
      "  --keep-tabs                    keep tabs in fields (removed by default)\n"
      "  --keep-line-breaks             keep line breaks in fields (removed by default)\n"
      "  -h, --help                     this text\n",
      stdout);
}

}  // namespace comptab
