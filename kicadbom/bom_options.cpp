#include "kicadbom/bom_options.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "kicadbom/bom_table.h"

namespace comptab {

namespace {

enum class Takes { Value, Flag, OptionalBool };

struct KnownOption {
  std::string_view longName;
  std::string_view shortName;
  Takes takes;
};

constexpr KnownOption kOptions[] = {
    {"--output", "-o", Takes::Value},
    {"--variant", "", Takes::Value},
    {"--preset", "", Takes::Value},
    {"--format-preset", "", Takes::Value},
    {"--fields", "", Takes::Value},
    {"--labels", "", Takes::Value},
    {"--group-by", "", Takes::Value},
    {"--sort-field", "", Takes::Value},
    {"--sort-asc", "", Takes::OptionalBool},
    {"--filter", "", Takes::Value},
    {"--exclude-dnp", "", Takes::Flag},
    {"--include-excluded-from-bom", "", Takes::Flag},
    {"--field-delimiter", "", Takes::Value},
    {"--string-delimiter", "", Takes::Value},
    {"--ref-delimiter", "", Takes::Value},
    {"--ref-range-delimiter", "", Takes::Value},
    {"--keep-tabs", "", Takes::Flag},
    {"--keep-line-breaks", "", Takes::Flag},
    {"--help", "-h", Takes::Flag},
};

const KnownOption* findOption(std::string_view word) {
  for (const KnownOption& option : kOptions)
    if (word == option.longName || (!option.shortName.empty() && word == option.shortName)) return &option;
  return nullptr;
}

bool isTrueWord(std::string_view word) { return word == "true" || word == "1" || word == "yes" || word == "on"; }
bool isFalseWord(std::string_view word) { return word == "false" || word == "0" || word == "no" || word == "off"; }

void store(BomOptions& options, std::string_view name, std::string value) {
  if (name == "--output") options.output = std::move(value);
  else if (name == "--variant") options.variants.push_back(std::move(value));
  else if (name == "--preset") options.preset = std::move(value);
  else if (name == "--format-preset") options.formatPreset = std::move(value);
  else if (name == "--fields") options.fields = std::move(value);
  else if (name == "--labels") options.labels = std::move(value);
  else if (name == "--group-by") options.groupBy = std::move(value);
  else if (name == "--sort-field") options.sortField = std::move(value);
  else if (name == "--filter") options.filter = std::move(value);
  else if (name == "--field-delimiter") options.format.fieldDelimiter = std::move(value);
  else if (name == "--string-delimiter") options.format.stringDelimiter = std::move(value);
  else if (name == "--ref-delimiter") options.format.refDelimiter = std::move(value);
  else if (name == "--ref-range-delimiter") options.format.refRangeDelimiter = std::move(value);
}

void setFlag(BomOptions& options, std::string_view name) {
  if (name == "--exclude-dnp") options.excludeDnp = true;
  else if (name == "--keep-tabs") options.format.keepTabs = true;
  else if (name == "--keep-line-breaks") options.format.keepLineBreaks = true;
  else if (name == "--help") options.help = true;
  // --include-excluded-from-bom is accepted and, as in KiCad 10, changes nothing.
}

// KiCad splits its lists at commas; an empty piece between two commas
// stays, a comma at the end adds nothing.
std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      if (start < text.size()) out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

std::string displayName(const std::string& name) {
  return isGeneratedField(name) ? name.substr(2, name.size() - 3) : name;
}

KicadBomField field(const char* name, const char* label, bool show, bool group) { return {name, label, show, group}; }

}  // namespace

bool parseBomOptions(const std::vector<std::string>& words, BomOptions& options, std::string* reason) {
  auto fail = [&](const std::string& why) {
    if (reason) *reason = why;
    return false;
  };
  bool inputSeen = false;
  size_t inputAt = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() > 1 && word[0] == '-') {
      std::string_view name = word;
      std::optional<std::string> attached;
      const size_t equals = word.find('=');
      if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
        name = std::string_view(word).substr(0, equals);
        attached = word.substr(equals + 1);
      }
      const KnownOption* known = findOption(name);
      if (!known)
        return fail("unknown option \"" + word +
                    "\"; the options are those of kicad-cli sch export bom (see comptab sch export bom --help)");
      const std::string_view longName = known->longName;
      if (known->takes == Takes::Flag) {
        if (attached) return fail(std::string(longName) + " takes no value; write it alone");
        setFlag(options, longName);
        continue;
      }
      if (known->takes == Takes::OptionalBool) {
        // kicad-cli 10.0.7 stops with an exception when a value follows;
        // here "false" sorts descending, as its help says it should.
        std::string value = attached.value_or("");
        if (!attached && i + 1 < words.size() && (isTrueWord(words[i + 1]) || isFalseWord(words[i + 1])))
          value = words[++i];
        if (value.empty() || isTrueWord(value))
          options.sortAsc = true;
        else if (isFalseWord(value))
          options.sortAsc = false;
        else
          return fail("--sort-asc takes true or false, not \"" + value + "\"");
        continue;
      }
      if (!attached) {
        if (i + 1 >= words.size() || findOption(words[i + 1]) != nullptr)
          return fail(std::string(longName) + " needs a value; write " + std::string(longName) +
                      " VALUE (\"\" for an empty one)");
        attached = words[++i];
      }
      store(options, longName, std::move(*attached));
      continue;
    }
    if (inputSeen) {
      // A word after a bare --sort-asc was taken for the input.
      if (inputAt > 0 && words[inputAt - 1] == "--sort-asc")
        return fail("--sort-asc takes true or false, not \"" + options.input + "\"");
      return fail("a second input \"" + word + "\" after \"" + options.input +
                  "\"; give one root .kicad_sch or .kicad_pro");
    }
    options.input = word;
    inputSeen = true;
    inputAt = i;
  }
  if (!inputSeen && !options.help)
    return fail("no input named; write comptab sch export bom [OPTIONS] board.kicad_sch (or board.kicad_pro)");
  return true;
}

std::string canonicalBomField(const std::string& name) {
  static constexpr std::string_view kGenerated[] = {"QUANTITY",         "ITEM_NUMBER",        "DNP",
                                                    "EXCLUDE_FROM_BOM", "EXCLUDE_FROM_BOARD", "EXCLUDE_FROM_SIM"};
  for (std::string_view g : kGenerated)
    if (name == g) return "${" + name + "}";
  return name;
}

std::vector<std::string> bomModelColumns(const std::vector<std::string>& userFields) {
  std::vector<std::string> columns = {"Reference",          "Value",
                                      "Footprint",          "Datasheet",
                                      "Description",        "${QUANTITY}",
                                      "${ITEM_NUMBER}",     "${DNP}",
                                      "${EXCLUDE_FROM_BOM}", "${EXCLUDE_FROM_BOARD}",
                                      "${EXCLUDE_FROM_SIM}"};
  const std::set<std::string> sorted(userFields.begin(), userFields.end());
  for (const std::string& name : sorted)
    if (std::find(columns.begin(), columns.end(), name) == columns.end()) columns.push_back(name);
  return columns;
}

std::vector<KicadBomPreset> builtInBomPresets() {
  std::vector<KicadBomPreset> presets(4);
  presets[0] = {"Default Editing",
                {field("Reference", "Reference", true, false), field("${QUANTITY}", "Qty", true, false),
                 field("Value", "Value", true, true), field("${DNP}", "DNP", true, true),
                 field("${EXCLUDE_FROM_BOM}", "Exclude from BOM", true, true),
                 field("${EXCLUDE_FROM_BOARD}", "Exclude from Board", true, true),
                 field("Footprint", "Footprint", true, true), field("Datasheet", "Datasheet", true, false)},
                "Reference", true, "", true, false, true};
  presets[1] = {"Grouped By Value",
                {field("Reference", "Reference", true, false), field("Value", "Value", true, true),
                 field("Datasheet", "Datasheet", true, false), field("Footprint", "Footprint", true, false),
                 field("${QUANTITY}", "Qty", true, false), field("${DNP}", "DNP", true, true)},
                "Reference", true, "", true, false, false};
  presets[2] = presets[1];
  presets[2].name = "Grouped By Value and Footprint";
  presets[2].fields[3].groupBy = true;
  presets[3] = {"Attributes",
                {field("Reference", "Reference", true, false), field("Value", "Value", true, true),
                 field("Datasheet", "Datasheet", false, false), field("Footprint", "Footprint", false, true),
                 field("${DNP}", "Do Not Place", true, false),
                 field("${EXCLUDE_FROM_BOM}", "Exclude from BOM", true, false),
                 field("${EXCLUDE_FROM_BOARD}", "Exclude from Board", true, false),
                 field("${EXCLUDE_FROM_SIM}", "Exclude from Simulation", true, false)},
                "Reference", true, "", true, false, true};
  return presets;
}

std::vector<KicadBomFormat> builtInBomFormats() {
  return {{"CSV", ",", "\"", ",", "", false, false},
          {"TSV", "\t", "", ",", "", false, false},
          {"Semicolons", ";", "'", ",", "", false, false}};
}

bool chooseBomPreset(const BomOptions& options, const KicadBomSettings& project,
                     const std::vector<std::string>& modelColumns, KicadBomPreset& preset, std::string* reason) {
  if (!options.preset.empty()) {
    const KicadBomPreset* found = nullptr;
    const std::vector<KicadBomPreset> builtIn = builtInBomPresets();
    for (const KicadBomPreset& p : builtIn)
      if (p.name == options.preset) found = &p;
    for (const KicadBomPreset& p : project.presets)
      if (p.name == options.preset) found = &p;
    if (!found) {
      std::string names;
      for (const KicadBomPreset& p : builtIn) names += (names.empty() ? "\"" : ", \"") + p.name + "\"";
      for (const KicadBomPreset& p : project.presets) names += ", \"" + p.name + "\"";
      if (reason) *reason = "no BOM preset \"" + options.preset + "\"; the presets are " + names;
      return false;
    }
    preset = *found;
    return true;
  }
  preset = {};
  const std::vector<std::string> fields = splitList(options.fields.value_or("Reference,Value,Footprint,QUANTITY,DNP"));
  std::vector<std::string> labels;
  // KiCad's default labels go with its default fields only.
  if (options.labels || !options.fields) labels = splitList(options.labels.value_or("Refs,Value,Footprint,Qty,DNP"));
  std::vector<std::string> groupBy = splitList(options.groupBy);
  for (std::string& name : groupBy) name = canonicalBomField(name);
  std::vector<std::string> named;
  for (const std::string& name : fields) named.push_back(canonicalBomField(name));
  size_t i = 0;
  for (const std::string& listed : fields) {
    const std::string name = canonicalBomField(listed);
    if (name == "*") {
      for (const std::string& column : modelColumns) {
        const bool present = std::any_of(preset.fields.begin(), preset.fields.end(),
                                         [&](const KicadBomField& f) { return f.name == column; });
        const bool later = std::find(named.begin(), named.end(), column) != named.end();
        if (!present && !later) preset.fields.push_back({column, column, true, false});
      }
      continue;
    }
    KicadBomField f;
    f.show = name.rfind("__", 0) != 0;
    f.name = f.show ? name : canonicalBomField(name.substr(2));
    f.groupBy = std::find(groupBy.begin(), groupBy.end(), f.name) != groupBy.end();
    f.label = i < labels.size() && !labels[i].empty() ? labels[i] : displayName(f.name);
    preset.fields.push_back(std::move(f));
    ++i;
  }
  preset.sortField = canonicalBomField(options.sortField);
  preset.sortAsc = options.sortAsc;
  preset.filter = options.filter;
  preset.groupSymbols = !groupBy.empty();
  preset.excludeDnp = options.excludeDnp;
  return true;
}

bool chooseBomFormat(const BomOptions& options, const KicadBomSettings& project, KicadBomFormat& format,
                     std::string* reason) {
  if (!options.formatPreset.empty()) {
    const KicadBomFormat* found = nullptr;
    const std::vector<KicadBomFormat> builtIn = builtInBomFormats();
    for (const KicadBomFormat& f : builtIn)
      if (f.name == options.formatPreset) found = &f;
    for (const KicadBomFormat& f : project.formats)
      if (f.name == options.formatPreset) found = &f;
    if (!found) {
      std::string names;
      for (const KicadBomFormat& f : builtIn) names += (names.empty() ? "\"" : ", \"") + f.name + "\"";
      for (const KicadBomFormat& f : project.formats) names += ", \"" + f.name + "\"";
      if (reason) *reason = "no BOM format preset \"" + options.formatPreset + "\"; the format presets are " + names;
      return false;
    }
    format = *found;
    return true;
  }
  format = options.format;
  return true;
}

}  // namespace comptab
