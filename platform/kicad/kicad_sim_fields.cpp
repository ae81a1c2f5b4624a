#include "platform/kicad/kicad_sim_fields.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/kicad/kicad_sim_value.h"
#include "platform/kicad/kicad_spice_library.h"
#include "platform/support/name_order.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr size_t kValue = 1;
constexpr size_t kFirstUser = 5;  // after the five fields every symbol has

// The sources KiCad builds from a SPICE function ("sin(0 1 1k)"): the
// function, the Sim.Type it becomes, and the parameters its arguments
// fill in order. More arguments than parameters and KiCad keeps the text
// as a raw SPICE model instead.
struct SourceKind {
  std::string_view function;
  std::string_view type;
  std::vector<std::string_view> params;
};

const std::vector<SourceKind>& sourceKinds() {
  static const std::vector<SourceKind> kKinds = {
      {"DC", "DC", {"dc", "ac", "ph", "portnum", "z0"}},
      {"SIN", "SIN", {"dc", "ampl", "f", "td", "theta", "phase", "ac", "ph", "portnum", "z0"}},
      {"PULSE", "PULSE", {"y1", "y2", "td", "tr", "tf", "tw", "per", "np", "ac", "ph", "portnum", "z0"}},
      {"EXP", "EXP", {"y1", "y2", "td1", "tau1", "td2", "tau2", "ac", "ph", "portnum", "z0"}},
      {"AM", "AM", {"vo", "vmo", "vma", "fm", "fc", "td", "phasem", "phasec", "ac", "ph", "portnum", "z0"}},
      {"SFFM", "SFFM", {"vo", "va", "fm", "mdi", "fc", "phasem", "phasec", "ac", "ph", "portnum", "z0"}},
      {"PWL", "PWL", {"pwl", "ac", "ph", "portnum", "z0"}},
      {"TRNOISE", "WHITENOISE", {"rms", "dt", "ac", "ph", "portnum", "z0"}},
      {"TRRANDOM", "RANDUNIFORM", {"ts", "td", "range", "offset", "ac", "ph", "portnum", "z0"}},
  };
  return kKinds;
}

std::string trim(std::string_view text) { return std::string(trimBlanks(text)); }

// Replaces every `from` in `text`, scanning the original once (a
// replacement is not searched again); the number replaced. Built into a
// new string: replacing in place moves the rest of the text each time,
// which a field of many matches turns into minutes.
int replaceAll(std::string& text, std::string_view from, std::string_view to) {
  size_t at = text.find(from);
  if (at == std::string::npos) return 0;
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  int count = 0;
  for (; at != std::string::npos; at = text.find(from, start)) {
    out.append(text, start, at - start).append(to);
    start = at + from.size();
    ++count;
  }
  out.append(text, start, std::string::npos);
  text = std::move(out);
  return count;
}

// A user field by its exact name; npos when the symbol has none.
size_t findField(const std::vector<KicadNamedValue>& fields, std::string_view name) {
  for (size_t i = kFirstUser; i < fields.size(); ++i)
    if (fields[i].name == name) return i;
  return std::string_view::npos;
}

// Removes a field and gives its text; nullopt when there is none.
std::optional<std::string> takeField(std::vector<KicadNamedValue>& fields, std::string_view name) {
  const size_t at = findField(fields, name);
  if (at == std::string_view::npos) return std::nullopt;
  std::string value = std::move(fields[at].value);
  fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(at));
  return value;
}

// The reference's letters: "R" of "R12", "U" of "U?".
std::string_view prefixOf(std::string_view reference) {
  while (!reference.empty() &&
         ((reference.back() >= '0' && reference.back() <= '9') || reference.back() == '?' || reference.back() == '*'))
    reference.remove_suffix(1);
  return reference;
}

std::vector<std::string_view> sortedPins(std::vector<std::string_view> pins) {
  std::sort(pins.begin(), pins.end(), [](std::string_view a, std::string_view b) { return compareNames(a, b) < 0; });
  return pins;
}

// "1=A 2=K": each model pin that has a symbol pin, by symbol pin number.
std::string pinMap(const std::vector<std::string>& modelPins, const std::vector<std::string>& symbolPins) {
  std::vector<std::pair<std::string_view, std::string_view>> pairs;
  for (size_t i = 0; i < modelPins.size() && i < symbolPins.size(); ++i)
    if (!symbolPins[i].empty()) pairs.emplace_back(symbolPins[i], modelPins[i]);
  std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return compareNames(a.first, b.first) < 0; });
  std::string out;
  for (const auto& [number, name] : pairs) out.append(out.empty() ? "" : " ").append(number).append("=").append(name);
  return out;
}

// The model pins of a device or source take the symbol's pins in order.
std::string pinMapBySymbol(const std::vector<std::string>& modelPins, const std::vector<std::string_view>& sorted) {
  std::vector<std::string> numbers(sorted.begin(), sorted.end());
  return pinMap(modelPins, numbers);
}

// Where KiCad knows nothing of the model: each symbol pin by its place.
std::string defaultPinMap(const std::vector<std::string_view>& sorted) {
  std::string out;
  for (size_t i = 0; i < sorted.size(); ++i)
    out.append(i == 0 ? "" : " ").append(sorted[i]).append("=").append(std::to_string(i + 1));
  return out;
}

// A number as strtol reads its start; `fallback` when it starts with none.
long leadingNumber(std::string_view text, long fallback) {
  const std::string copy(text);
  char* end = nullptr;
  const long value = std::strtol(copy.c_str(), &end, 10);
  return end == copy.c_str() ? fallback : value;
}

// Spice_Node_Sequence ("2 1"): the symbol pin of each model pin in turn.
// Every delimiter ends a token, so "1, 2" holds an empty one (which
// reads as pin 1); only a delimiter at the very end does not.
std::string nodeSequencePins(std::string_view sequence) {
  constexpr std::string_view kDelimiters = "{:,; }";
  std::vector<std::string_view> tokens;
  size_t start = 0;
  for (size_t i = 0; i < sequence.size(); ++i) {
    if (kDelimiters.find(sequence[i]) == std::string_view::npos) continue;
    tokens.push_back(sequence.substr(start, i - start));
    start = i + 1;
  }
  if (start < sequence.size()) tokens.push_back(sequence.substr(start));
  std::string out;
  for (size_t i = 0; i < tokens.size(); ++i)
    out.append(i == 0 ? "" : " ").append(std::to_string(leadingNumber(tokens[i], 1))).append("=").append(std::to_string(i + 1));
  return out;
}

// Sim.Params text: each parameter given, quoted where it must be.
std::string paramsText(const SourceKind& kind, const std::vector<std::string>& values) {
  std::string out;
  for (size_t i = 0; i < kind.params.size(); ++i) {
    std::string value = i < values.size() ? values[i] : std::string();
    // A DC source always shows its value, "" when it has none.
    if (value.empty() && !(i == 0 && kind.type == "DC")) continue;
    if (value.empty() || value.find_first_of(" \"") != std::string::npos) {
      replaceAll(value, "\"", "\\\"");
      value = "\"" + value + "\"";
    }
    out.append(out.empty() ? "" : " ").append(kind.params[i]).append("=").append(value);
  }
  return out;
}

std::vector<std::string_view> splitModel(std::string_view model) {
  constexpr std::string_view kDelimiters = "() ";
  std::vector<std::string_view> out;
  size_t at = 0;
  while (at < model.size()) {
    while (at < model.size() && kDelimiters.find(model[at]) != std::string_view::npos) ++at;
    const size_t start = at;
    while (at < model.size() && kDelimiters.find(model[at]) == std::string_view::npos) ++at;
    if (at > start) out.push_back(model.substr(start, at - start));
  }
  return out;
}

void addField(std::vector<KicadNamedValue>& fields, std::string_view name, std::string value) {
  fields.push_back({std::string(name), std::move(value)});
}

// KiCad 7 files: fixes of its own earlier Sim.* forms.
void fixCurrentFields(std::vector<KicadNamedValue>& fields) {
  const size_t type = findField(fields, "Sim.Type");
  std::string subtype = type == std::string_view::npos ? std::string() : upperAscii(fields[type].value);
  // Potentiometer pins were "+" and "-" before they took SPICE's names.
  if (subtype == "POT")
    if (const size_t pins = findField(fields, "Sim.Pins"); pins != std::string_view::npos) {
      replaceAll(fields[pins].value, "=+", "=r1");
      replaceAll(fields[pins].value, "=-", "=r0");
    }
  // Random sources: NORMAL became GAUSSIAN, min/max of 0 went, dt is ts.
  if (subtype.starts_with("RAND")) {
    if (replaceAll(subtype, "NORMAL", "GAUSSIAN") > 0) fields[type].value = subtype;
    if (const size_t params = findField(fields, "Sim.Params"); params != std::string_view::npos) {
      std::string text = lowerAscii(fields[params].value);
      int count = replaceAll(text, "min=0 ", "");
      count += replaceAll(text, "max=0 ", "");
      count += replaceAll(text, "dt=", "ts=");
      if (count > 0) fields[params].value = text;
    }
  }
  // A mutual inductance is a device of its own, no inductor type.
  if (subtype == "MUTUAL") {
    fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(type));
    if (const size_t device = findField(fields, "Sim.Device"); device != std::string_view::npos)
      fields[device].value = "K";
    else
      addField(fields, "Sim.Device", "K");
  }
}

// Fields of KiCad 7's development: renamed, Sim_Pins from pin indexes to
// symbol pin = model pin.
void renameInterimFields(std::vector<KicadNamedValue>& fields, const KicadSimSymbol& symbol) {
  if (const size_t at = findField(fields, "Sim_Type"); at != std::string_view::npos) fields[at].name = "Sim.Type";
  if (const size_t at = findField(fields, "Sim_Device"); at != std::string_view::npos) fields[at].name = "Sim.Device";
  if (const size_t at = findField(fields, "Sim_Pins"); at != std::string_view::npos) {
    const std::string_view prefix = prefixOf(symbol.reference);
    const bool passive = prefix.starts_with('R') || prefix.starts_with('L') || prefix.starts_with('C');
    std::vector<std::string_view> indexes;
    const std::string_view text = fields[at].value;
    if (!text.empty())
      for (size_t start = 0;;) {
        const size_t space = text.find(' ', start);
        indexes.push_back(text.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
        if (space == std::string_view::npos) break;
        start = space + 1;
      }
    const std::vector<std::string_view> pins = sortedPins(symbol.pins);
    std::string map;
    if (passive && indexes.size() == 2 && pins.size() == 2) {
      const bool reversed = indexes[0] == "2";
      map = std::string(pins[0]) + (reversed ? "=- " : "=+ ") + std::string(pins[1]) + (reversed ? "=+" : "=-");
    } else {
      for (size_t i = 0; i < indexes.size() && i < pins.size(); ++i)
        map.append(i == 0 ? "" : " ").append(pins[i]).append("=").append(indexes[i]);
    }
    fields[at].name = "Sim.Pins";
    fields[at].value = map;
  }
  if (const size_t at = findField(fields, "Sim_Params"); at != std::string_view::npos) fields[at].name = "Sim.Params";
}

}  // namespace

bool kicadSimEnableField(std::string_view name, std::string_view value, bool& excluded) {
  if (name == "Sim.Enable") {
    excluded = value == "0";
    return true;
  }
  if (name == "Spice_Netlist_Enabled") {
    excluded = value == "N";
    return true;
  }
  return false;
}

void migrateKicadSimFields(std::vector<KicadNamedValue>& fields, const KicadSimSymbol& symbol,
                           const KicadSpiceModelFinder& findModel) {
  if (fields.size() < kFirstUser) return;
  for (const std::string_view name : {"Sim.Device", "Sim.Type", "Sim.Pins", "Sim.Params"})
    if (findField(fields, name) != std::string_view::npos) return fixCurrentFields(fields);
  bool legacy = false;
  for (const std::string_view name : {"Spice_Primitive", "Spice_Node_Sequence", "Spice_Model", "Spice_Lib_File"})
    legacy = legacy || findField(fields, name) != std::string_view::npos;
  if (!legacy) return renameInterimFields(fields, symbol);

  const std::string device = trim(takeField(fields, "Spice_Primitive").value_or(""));
  std::string pins;
  if (const std::optional<std::string> sequence = takeField(fields, "Spice_Node_Sequence"))
    pins = nodeSequencePins(*sequence);
  bool modelFromValue = false;
  std::optional<std::string> modelField = takeField(fields, "Spice_Model");
  if (!modelField) {
    modelField = fields[kValue].value;
    modelFromValue = true;
  }
  std::string model = trim(kicadDropMeg(*modelField));
  const std::string library = trim(takeField(fields, "Spice_Lib_File").value_or(""));
  const std::string_view prefix = prefixOf(symbol.reference);
  const std::vector<std::string_view> sorted = sortedPins(symbol.pins);

  if (!library.empty()) {
    // "name params": the name is looked up, the rest kept as parameters.
    const size_t space = model.find(' ');
    const std::string lineParams = space == std::string::npos ? std::string() : model.substr(space + 1);
    model = model.substr(0, space);
    const KicadSpiceModel* found = findModel(library, model);
    if (pins.empty() && found != nullptr) {
      if (found->subcircuit) {
        std::vector<std::string> numbers;
        for (size_t i = 0; i < found->pins.size(); ++i) numbers.push_back(std::to_string(i + 1));
        pins = pinMap(found->pins, numbers);
      } else {
        pins = pinMapBySymbol(found->pins, sorted);
      }
    }
    if (pins.empty()) pins = defaultPinMap(sorted);
    if (found != nullptr && found->libraryClean) {
      addField(fields, "Sim.Library", library);
      addField(fields, "Sim.Name", model);
      if (!lineParams.empty()) addField(fields, "Sim.Params", lineParams);
      if (modelFromValue) fields[kValue].value = "${SIM.NAME}";
      if (!pins.empty()) addField(fields, "Sim.Pins", pins);
      return;
    }
  } else if ((device == "R" || device == "L" || device == "C" || device == "V" || device == "I") &&
             prefix.starts_with(device) && modelFromValue) {
    // The value is the model already (an ideal part, a plain source).
    if (!pins.empty()) addField(fields, "Sim.Pins", pins);
    return;
  } else if (device == "V" || device == "I") {
    const std::vector<std::string_view> tokens = splitModel(model);
    const std::string function = tokens.empty() ? std::string() : upperAscii(tokens[0]);
    for (const SourceKind& kind : sourceKinds()) {
      if (kind.function != function) continue;
      const size_t arguments = tokens.size() - 1;
      std::string params;
      if (function == "DC" && arguments == 1) {
        fields[kValue].value = std::string(tokens[1]);
        modelFromValue = false;
      } else if (arguments > kind.params.size()) {
        break;  // KiCad falls back to a raw SPICE model
      } else {
        std::vector<std::string> values;
        for (size_t i = 1; i < tokens.size(); ++i) values.push_back(kicadSpiceToSi(tokens[i]));
        params = paramsText(kind, values);
      }
      if (pins.empty()) pins = pinMapBySymbol({"+", "-"}, sorted);
      addField(fields, "Sim.Device", device);
      addField(fields, "Sim.Type", std::string(kind.type));
      if (!params.empty()) addField(fields, "Sim.Params", params);
      if (modelFromValue) fields[kValue].value = "${SIM.PARAMS}";
      if (!pins.empty()) addField(fields, "Sim.Pins", pins);
      return;
    }
  }

  // Nothing KiCad knows: the model goes to a raw SPICE element.
  const std::string params = device.empty() && library.empty()
                                 ? model
                                 : "type=\"" + device + "\" model=\"" + model + "\" lib=\"" + library + "\"";
  addField(fields, "Sim.Device", "SPICE");
  addField(fields, "Sim.Params", params);
  if (modelFromValue) fields[kValue].value = "${SIM.PARAMS}";
  if (pins.empty()) pins = defaultPinMap(sorted);
  if (!pins.empty()) addField(fields, "Sim.Pins", pins);
}

}  // namespace comptab
