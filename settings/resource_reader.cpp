#include "settings/resource_reader.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/rsc/rsc_file.h"
#include "platform/sheet/comp_type.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "settings/message_codes.h"

namespace comptab {

namespace {

enum class Need { Optional, Required };

// Every key the program reads, with the form a person must give it; the
// forms name the TOML a newcomer would write.
struct KeyForm {
  const char* key;
  const char* form;
  const char* example;  // a line to copy for a required key, else null
};

constexpr const char* kSwitchForm = "a switch: the text \"YES\" or \"NO\"";

constexpr KeyForm kKeyForms[] = {
    {"separator", "a text of at most one character", "separator = \",\""},
    {"emptyCell", "a text of at most one character", "emptyCell = \"-\""},
    {"token", "a text of one character", "token = \",\""},
    {"quoteChar", "a text of one character", nullptr},
    {"output", "a string (a file path)", nullptr},
    {"sortKey", "a list of property names, such as [\"reference\"]", nullptr},
    {"excludeType", "a list of component type names, such as [\"power\", \"ground\"]", nullptr},
    {"formatTable",
     "a list of lists of two to four elements [property, width, quoted, alignment], all of one length, "
     "with an integer width, such as [[\"reference\", 10]]",
     "formatTable = [[\"reference\", 10]]"},
    {"termTable", "a list of two-element lists [property, expression]", nullptr},
    {"searchMode", "a string of at most one character, \"o\" or \"a\"", "searchMode = \"o\""},
    {"destination", "a list of destination names", nullptr},
    {"command", "a string", nullptr},
    {"mergedProp", "a text", nullptr},
    {"fixedString", "a list of texts", nullptr},
    {"beginString", "a text", nullptr},
    {"endString", "a text", nullptr},
    {"destHeadString", "a text", nullptr},
    {"hierarchyLevel", "an integer, such as -1", nullptr},
    {"forceOverwrite", kSwitchForm, nullptr},
    {"alignSeparator", kSwitchForm, nullptr},
    {"noAdjust", kSwitchForm, nullptr},
    {"useCompKind", kSwitchForm, nullptr},
    {"usePropSpec", kSwitchForm, nullptr},
    {"checkKCDBProperty", kSwitchForm, nullptr},
    {"checkOpenGate", kSwitchForm, nullptr},
    {"destinationOutputMode", "the text \"table\" or \"component\"", nullptr},
    {"referencePackage", kSwitchForm, nullptr},
    {"partNamePackage", kSwitchForm, nullptr},
    {"noHeader", kSwitchForm, nullptr},
    {"package", "a text (a property name) or a list of texts (property names), such as [\"value\", \"footprint\"]",
     nullptr},
    {"packageAlso", "a list of texts (property names), such as [\"footprint\"]", nullptr},
    {"headerAlias", "a list of two-element lists [property, title]", nullptr},
    {"endOfLineStyle", "a string, \"lf\" or \"crlf\"", nullptr},
    // comptab's own keys
    {"tableFormat", "the text \"text\", \"csv\", \"tsv\", \"json\" or \"html\"", nullptr},
    {"fieldSeparator", "one ASCII character other than a line break, such as \",\" or \";\"", nullptr},
    {"keepTableTexts", kSwitchForm, nullptr},
    {"referenceRanges", kSwitchForm, nullptr},
    {"rangeChar", "a text that is not empty, such as \"-\"", nullptr},
    {"sortDescending", "a list of property names, such as [\"value\"]", nullptr},
    {"sortByValue", "a list of property names, such as [\"value\"]", nullptr},
    {"strict", kSwitchForm, nullptr},
    {"useTermTable", kSwitchForm, nullptr},
    {"byteOrderMark", kSwitchForm, nullptr},
    {"valueMeaning", "a list of property names, such as [\"Value\"]", nullptr},
    {"guardFormulas", kSwitchForm, nullptr},
};

const KeyForm* keyForm(std::string_view key) {
  for (const KeyForm& form : kKeyForms)
    if (key == form.key) return &form;
  return nullptr;
}

// What a value is, in the words of the forms above.
std::string foundText(const RscValue& value) {
  switch (value.kind()) {
    case RscValue::Text:
      return strprintf("the text \"%s\"", value.text().value_or("").c_str());
    case RscValue::Integer:
      return "the integer " + value.text().value_or("");
    case RscValue::Scalar:
      return value.text().value_or("a value");
    case RscValue::Table: {
      const RscTable* table = value.table();
      if (table == nullptr || table->rowCount() == 0) return "an empty list";
      if (table->columnCount() == 1)
        return table->rowCount() == 1 ? std::string("a list of one text") : strprintf("a list of %zu texts", table->rowCount());
      if (table->rowCount() == 1) return strprintf("a list of one list of %zu elements", table->columnCount());
      return strprintf("a list of %zu lists of %zu elements", table->rowCount(), table->columnCount());
    }
    default:
      return "an inline table, a [section] or lists of unequal length";
  }
}

// A format table of the right shape fails only at a width; that row says
// more than the shape does.
std::string foundInFormatTable(const RscValue& value) {
  const RscTable* table = value.table();
  if (table != nullptr && table->columnCount() >= 2 && table->columnCount() <= 4) {
    for (size_t row = 0; row < table->rowCount(); ++row) {
      const RscValue* width = table->cell(row, 1);
      if (width != nullptr && width->kind() != RscValue::Integer)
        return strprintf("the width %s in row %zu", foundText(*width).c_str(), row + 1);
    }
  }
  return foundText(value);
}

// Unknown keys are no error (a file may carry keys for other programs),
// but a misspelt one silently loses its setting, so it is pointed out.
// `asked` holds the keys the reading looked up, so that a key read but not
// yet in the table of forms is never called unknown.
void noteFileKeys(const RscFile& file, const std::string& path, const std::vector<std::string>& asked,
                  std::vector<std::string>& notes) {
  constexpr size_t kCloseEnough = 2;
  for (const RscFile::KeyPlace& place : file.keys()) {
    const KeyForm* known = keyForm(place.key);
    if (known == nullptr && std::find(asked.begin(), asked.end(), place.key) == asked.end()) {
      const KeyForm* closest = nullptr;
      size_t best = kCloseEnough + 1;
      for (const KeyForm& form : kKeyForms) {
        const size_t distance = editDistanceNoCase(place.key, form.key);
        if (distance < best) {
          best = distance;
          closest = &form;
        }
      }
      std::string note = strprintf("%s:%u: the key \"%s\" is not one comptab reads and has no effect", path.c_str(),
                                   place.line, place.key.c_str());
      if (place.isSection)
        note += "; it is a table, and comptab reads only the keys above every [section]";
      else if (closest != nullptr)
        note += strprintf("; did you mean %s?", closest->key);
      notes.push_back(note);
      continue;
    }
    if (known == nullptr || known->form != kSwitchForm) continue;
    const std::unique_ptr<RscValue> value = file.lookup(place.key);
    if (value && value->kind() == RscValue::Scalar && (value->text() == "true" || value->text() == "false"))
      notes.push_back(strprintf("%s:%u: %s = %s counts as off: a switch is on only with the text \"YES\"", path.c_str(),
                                place.line, place.key.c_str(), value->text()->c_str()));
  }
}

std::string textOf(const RscValue& value) { return value.text().value_or(""); }

bool isTableOrOther(const RscValue& value) {
  return value.kind() == RscValue::Table || value.kind() == RscValue::Other;
}

// Anything but a table: an integer's digits serve as text too.
bool plainText(const RscValue& value, std::string& field) {
  if (isTableOrOther(value)) return false;
  field = textOf(value);
  return true;
}

// "At most one character" counts bytes, so a character outside ASCII is
// refused here as it always was, although cell texts are now measured in
// columns on screen.
bool shortText(const RscValue& value, std::string& field) { return plainText(value, field) && field.size() <= 1; }

bool singleChar(const RscValue& value, std::string& field) { return plainText(value, field) && field.size() == 1; }

// A byte a CSV reader takes for a field separator: one ASCII character, and
// never a line break, which ends the record whatever the separator is.
bool fieldSeparatorChar(const RscValue& value, std::string& field) {
  return singleChar(value, field) && static_cast<unsigned char>(field[0]) < 0x80 && field != "\r" && field != "\n";
}

bool textKind(const RscValue& value, std::string& field) {
  if (value.kind() != RscValue::Text) return false;
  field = textOf(value);
  return true;
}

bool integerKind(const RscValue& value, int& field) {
  if (value.kind() != RscValue::Integer) return false;
  field = value.integer();
  return true;
}

bool flag(const RscValue& value, bool& field) {
  std::string text;
  if (!plainText(value, text)) return false;
  field = equalsNoCase(text, "YES");
  return true;
}

// A table of `columns` columns (any count from `minColumns` to `maxColumns`)
// and at least one row, or null.
const RscTable* tableOf(const RscValue& value, size_t minColumns, size_t maxColumns) {
  if (value.kind() != RscValue::Table) return nullptr;
  const RscTable* table = value.table();
  if (table == nullptr || table->rowCount() < 1) return nullptr;
  if (table->columnCount() < minColumns || table->columnCount() > maxColumns) return nullptr;
  return table;
}

bool list(const RscValue& value, std::vector<std::string>& field) {
  const RscTable* table = tableOf(value, 1, 1);
  if (table == nullptr) return false;
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* cell = table->cell(row, 0);
    if (cell == nullptr) return false;
    field.push_back(textOf(*cell));
  }
  return true;
}

// A list whose every entry is a text: a number where a property name
// belongs is a slip, not a name.
bool textList(const RscValue& value, std::vector<std::string>& field) {
  const RscTable* table = tableOf(value, 1, 1);
  if (table == nullptr) return false;
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* cell = table->cell(row, 0);
    if (cell == nullptr || cell->kind() != RscValue::Text) return false;
    field.push_back(textOf(*cell));
  }
  return true;
}

// Each row becomes one `Pair` of its two texts, so that neither half can
// outnumber the other.
template <typename Pair>
bool pairTable(const RscValue& value, std::vector<Pair>& field) {
  const RscTable* table = tableOf(value, 2, 2);
  if (table == nullptr) return false;
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* left = table->cell(row, 0);
    const RscValue* right = table->cell(row, 1);
    if (left == nullptr || right == nullptr) return false;
    field.push_back({textOf(*left), textOf(*right)});
  }
  return true;
}

// Columns: property, width, quoted (YES), alignment (right); the last two
// may be left out and then count as no.
bool formatTable(const RscValue& value, std::vector<FormatColumn>& format) {
  const RscTable* table = tableOf(value, 2, 4);
  if (table == nullptr) return false;
  const size_t columns = table->columnCount();
  for (size_t row = 0; row < table->rowCount(); ++row) {
    FormatColumn column;
    const RscValue* property = table->cell(row, 0);
    if (property == nullptr) return false;
    column.property = textOf(*property);

    const RscValue* width = table->cell(row, 1);
    if (width == nullptr || width->kind() != RscValue::Integer) return false;
    column.width = width->integer();

    if (columns >= 3) {
      const RscValue* cell = table->cell(row, 2);
      if (cell == nullptr) return false;
      column.quoted = equalsNoCase(textOf(*cell), "YES");
    }
    if (columns >= 4) {
      const RscValue* cell = table->cell(row, 3);
      if (cell == nullptr) return false;
      if (equalsNoCase(textOf(*cell), "right")) column.alignment = Alignment::Right;
    }
    format.push_back(std::move(column));
  }
  return true;
}

bool outputMode(const RscValue& value, DestinationOutput& field) {
  std::string text;
  if (!plainText(value, text)) return false;
  if (equalsNoCase(text, "table")) {
    field = DestinationOutput::Table;
  } else if (equalsNoCase(text, "component")) {
    field = DestinationOutput::Component;
  } else {
    return false;
  }
  return true;
}

// Kept as written when it names a line end we know; anything else is
// dropped quietly so the command line or the default decides.
bool lineEndStyle(const RscValue& value, std::string& field) {
  if (!textKind(value, field)) return false;
  if (!equalsNoCase(field, "lf") && !equalsNoCase(field, "crlf")) field.clear();
  return true;
}

bool tableFormat(const RscValue& value, TableFormat& field) {
  std::string text;
  if (!plainText(value, text)) return false;
  const std::optional<TableFormat> format = tableFormatNamed(text);
  if (!format) return false;
  field = *format;
  return true;
}

// One property name, or a list of them whose first entry serves as the one
// name wherever a single name is read.
bool packageNames(const RscValue& value, Settings& s) {
  if (value.kind() != RscValue::Table) return plainText(value, s.package);
  std::vector<std::string> names;
  if (!textList(value, names)) return false;
  s.package = names.front();
  s.packageAlso.assign(names.begin() + 1, names.end());
  return true;
}

bool nonEmptyText(const RscValue& value, std::string& field) { return plainText(value, field) && !field.empty(); }

// Reads keys one at a time, naming each in `currentKey` before it is looked
// up so that a failure names the key that caused it.
class KeyReader {
 public:
  KeyReader(const RscFile& file, const std::string& path, std::string& currentKey, std::string& reason)
      : file_(file), path_(path), currentKey_(currentKey), reason_(reason) {}

  // False when a required key is absent or `rule` refuses the value.
  // `present` tells whether the key was there at all.
  template <typename Rule>
  bool read(const char* key, Need need, Rule rule, bool* present = nullptr) {
    currentKey_ = key;
    asked_.emplace_back(key);
    const std::unique_ptr<RscValue> value = file_.lookup(key);
    if (present != nullptr) *present = value != nullptr;
    const KeyForm* form = keyForm(key);
    if (!value) {
      if (need == Need::Optional) return true;
      reason_ = strprintf("%s: the required key %s is missing", path_.c_str(), key);
      if (form != nullptr && form->example != nullptr) reason_ += strprintf("; add a line such as %s", form->example);
      return false;
    }
    if (rule(*value)) return true;
    reason_ = strprintf("%s:%u: %s must be %s; found %s", path_.c_str(), file_.keyLine(key), key,
                        form != nullptr ? form->form : "of another form",
                        (key == std::string_view("formatTable") ? foundInFormatTable(*value) : foundText(*value)).c_str());
    return false;
  }

  // Refuses `key`, which was read, for a reason its form does not give
  // (a clash with another key); false.
  bool refuse(const char* key, const std::string& why) {
    currentKey_ = key;
    reason_ = strprintf("%s:%u: %s %s", path_.c_str(), file_.keyLine(key), key, why.c_str());
    return false;
  }

  // Every key looked up so far, in order.
  const std::vector<std::string>& asked() const { return asked_; }

 private:
  const RscFile& file_;
  const std::string& path_;
  std::string& currentKey_;
  std::string& reason_;
  std::vector<std::string> asked_;
};

// The keys comptab added, read after the original ones so that a file the
// original keys made fail still fails at the same key.
bool readOwnKeys(KeyReader& keys, Settings& s) {
  const auto into = [](auto checker, auto& field) {
    return [checker, &field](const RscValue& value) { return checker(value, field); };
  };
  const auto read = [&](const char* key, auto rule) { return keys.read(key, Need::Optional, rule); };
  bool rangeGiven = false;
  if (!(read("tableFormat", into(tableFormat, s.tableFormat)) &&
        read("fieldSeparator", into(fieldSeparatorChar, s.fieldSeparator)) &&
        read("keepTableTexts", into(flag, s.keepTableTexts)) &&
        read("referenceRanges", into(flag, s.referenceRanges)) &&
        keys.read("rangeChar", Need::Optional, into(nonEmptyText, s.rangeChar), &rangeGiven) &&
        read("sortDescending", into(list, s.sortDescending)) && read("sortByValue", into(list, s.sortByValue)) &&
        read("guardFormulas", into(flag, s.guardFormulas)) && read("strict", into(flag, s.strict)) &&
        read("useTermTable", into(flag, s.useTermTable)) && read("byteOrderMark", into(flag, s.byteOrderMark)) &&
        read("valueMeaning", into(textList, s.valueMeaning))))
    return false;
  // The references of a row are split at the token again by whoever reads
  // them: R1,R4 would read as two references, not a range.
  if (s.referenceRanges && rangeGiven && !s.token.empty() && s.rangeChar.find(s.token) != std::string::npos)
    return keys.refuse("rangeChar", strprintf("must not hold the token \"%s\", which separates the references; "
                                              "found the text \"%s\"", s.token.c_str(), s.rangeChar.c_str()));
  return true;
}

bool readKeys(KeyReader& keys, Settings& s) {
  using N = Need;
  const auto into = [](auto checker, auto& field) {
    return [checker, &field](const RscValue& value) { return checker(value, field); };
  };
  const auto asFlag = [&](bool& field) { return into(flag, field); };

  if (!keys.read("separator", N::Required, into(shortText, s.separator))) return false;
  if (!keys.read("emptyCell", N::Required, into(shortText, s.emptyCell))) return false;
  if (!keys.read("token", N::Required, into(singleChar, s.token))) return false;
  s.quoteChar = "\"";
  if (!keys.read("quoteChar", N::Optional, into(singleChar, s.quoteChar))) return false;
  if (!keys.read("output", N::Optional, into(textKind, s.output))) return false;
  if (!keys.read("sortKey", N::Optional, into(list, s.sortKey))) return false;
  if (!keys.read("excludeType", N::Optional, into(list, s.excludeType))) return false;
  if (!keys.read("formatTable", N::Required, into(formatTable, s.format))) return false;

  bool termsPresent = false;
  const auto terms = [&s](const RscValue& value) { return pairTable(value, s.terms); };
  if (!keys.read("termTable", N::Optional, terms, &termsPresent)) return false;
  // Search terms without a way of combining them are an error even when
  // search mode is not used; without terms the key is not looked at.
  if (termsPresent) {
    const auto mode = [&s](const RscValue& value) { return textKind(value, s.searchMode) && s.searchMode.size() <= 1; };
    if (!keys.read("searchMode", N::Required, mode)) return false;
  }

  if (!keys.read("destination", N::Optional, into(list, s.destination))) return false;
  if (!keys.read("command", N::Optional, into(textKind, s.command))) return false;
  if (!keys.read("mergedProp", N::Optional, into(plainText, s.mergedProp))) return false;
  if (!keys.read("fixedString", N::Optional, into(list, s.fixedString))) return false;
  if (!keys.read("beginString", N::Optional, into(plainText, s.beginString))) return false;
  if (!keys.read("endString", N::Optional, into(plainText, s.endString))) return false;
  if (!keys.read("destHeadString", N::Optional, into(plainText, s.destHeadString))) return false;
  if (!keys.read("hierarchyLevel", N::Optional, into(integerKind, s.hierarchyLevel))) return false;
  if (!keys.read("forceOverwrite", N::Optional, asFlag(s.forceOverwrite))) return false;
  if (!keys.read("alignSeparator", N::Optional, asFlag(s.alignSeparator))) return false;
  if (!keys.read("noAdjust", N::Optional, asFlag(s.noAdjust))) return false;
  if (!keys.read("useCompKind", N::Optional, asFlag(s.useCompKind))) return false;
  if (!keys.read("usePropSpec", N::Optional, asFlag(s.usePropSpec))) return false;
  if (!keys.read("checkKCDBProperty", N::Optional, asFlag(s.checkKCDBProperty))) return false;
  if (!keys.read("checkOpenGate", N::Optional, asFlag(s.checkOpenGate))) return false;
  if (!keys.read("destinationOutputMode", N::Optional, into(outputMode, s.destinationOutputMode))) return false;
  if (!keys.read("referencePackage", N::Optional, asFlag(s.referencePackage))) return false;
  if (!keys.read("partNamePackage", N::Optional, asFlag(s.partNamePackage))) return false;
  if (!keys.read("noHeader", N::Optional, asFlag(s.noHeader))) return false;
  if (!keys.read("package", N::Optional, into(packageNames, s))) return false;
  if (!keys.read("packageAlso", N::Optional, into(textList, s.packageAlso))) return false;
  const auto aliases = [&s](const RscValue& value) { return pairTable(value, s.headerAliases); };
  if (!keys.read("headerAlias", N::Optional, aliases)) return false;
  if (!keys.read("endOfLineStyle", N::Optional, into(lineEndStyle, s.endOfLineStyle))) return false;
  return readOwnKeys(keys, s);
}

// Sets `resourcePath` to the file to read: the one given, else the personal
// file, else the system file. False, with the reason, when it is not there.
bool locate(Settings& settings, std::string& resourcePath, ReadFailure& failureKind) {
  if (!resourcePath.empty()) {
    if (!pathAccess(resourcePath, Access::Exists)) {
      failureKind = ReadFailure::NotFound;
      return false;
    }
    settings.resourceGiven = true;
    return true;
  }
  const std::string personal = packPath(PersonalFile::fileName(PersonalKind::Resource, "comptab"));
  if (pathAccess(personal, Access::Exists)) {
    resourcePath = personal;
    return true;
  }
  // Named even when missing, so that the failure report shows where the
  // suite's own file was expected.
  resourcePath = packPath(SystemFile::fileName(joinPath(SuiteFile::langDir(), "comptab"), SystemKind::Resource));
  if (!pathAccess(resourcePath, Access::Exists)) {
    failureKind = ReadFailure::NotFound;
    return false;
  }
  return true;
}

// Type names are case-sensitive, so "POWER" quietly excludes nothing.
void noteExcludedTypes(const RscFile& file, const std::string& path, const Settings& settings,
                       std::vector<std::string>& notes) {
  for (const std::string& name : settings.excludeType) {
    if (CompType::code(name) || (name.starts_with("type") && name.size() > 4)) continue;
    std::string note = strprintf("%s:%u: excludeType \"%s\" is not a component type name and excludes nothing",
                                 path.c_str(), file.keyLine("excludeType"), name.c_str());
    for (const CompTypeEntry& entry : CompType::table()) {
      if (editDistanceNoCase(name, entry.name) <= 1) {
        note += strprintf("; did you mean %s?", entry.name);
        break;
      }
    }
    notes.push_back(note);
  }
}

}  // namespace

std::optional<TableFormat> tableFormatNamed(std::string_view name) {
  if (equalsNoCase(name, "text")) return TableFormat::Text;
  if (equalsNoCase(name, "csv")) return TableFormat::Csv;
  if (equalsNoCase(name, "tsv")) return TableFormat::Tsv;
  if (equalsNoCase(name, "json")) return TableFormat::Json;
  if (equalsNoCase(name, "html")) return TableFormat::Html;
  return std::nullopt;
}

int failureCode(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::None:
      return 0;
    case ReadFailure::NotFound:
      return msg::kResourceNotFound;
    case ReadFailure::NotReadable:
      return msg::kResourceNotReadable;
    case ReadFailure::BadContent:
      return msg::kResourceBadContent;
  }
  return 0;
}

ResourceOutcome readResource(Settings& settings, std::string& resourcePath) {
  ResourceOutcome outcome;
  if (!locate(settings, resourcePath, outcome.failure)) return outcome;
  const RscFile file = RscFile::open(resourcePath, &outcome.parseError);
  if (file.readFailed()) {
    outcome.failure = ReadFailure::NotReadable;
    return outcome;
  }
  KeyReader keys(file, resourcePath, outcome.currentKey, outcome.keyReason);
  const bool read = readKeys(keys, settings);
  noteFileKeys(file, resourcePath, keys.asked(), outcome.notes);
  if (!read) {
    outcome.failure = ReadFailure::BadContent;
    return outcome;
  }
  noteExcludedTypes(file, resourcePath, settings, outcome.notes);
  NameKeyLines& lines = settings.keyLines;
  lines.package = file.keyLine("package");
  lines.packageAlso = file.keyLine("packageAlso");
  lines.sortKey = file.keyLine("sortKey");
  lines.formatTable = file.keyLine("formatTable");
  lines.headerAlias = file.keyLine("headerAlias");
  lines.termTable = file.keyLine("termTable");
  return outcome;
}

std::string csvSettingsFault(const Settings& s, std::string* key) {
  const auto isLineBreak = [](const std::string& c) { return c == "\r" || c == "\n"; };
  if (isLineBreak(s.quoteChar)) {
    *key = "quoteChar";
    return "a CSV table cannot quote with a line break; choose another quoteChar, such as the double quote";
  }
  if (s.quoteChar == s.fieldSeparator) {
    *key = "fieldSeparator";
    return strprintf("fieldSeparator and quoteChar are both \"%s\", so a CSV table could not be read back; "
                     "make them two different characters", s.quoteChar.c_str());
  }
  return "";
}

std::unique_ptr<Settings> loadSettings(std::string& resourcePath, ResourceOutcome& outcome) {
  auto settings = std::make_unique<Settings>();
  outcome = readResource(*settings, resourcePath);
  if (!outcome.ok()) return nullptr;
  return settings;
}

}  // namespace comptab
