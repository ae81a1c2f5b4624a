#include "settings/resource_reader.h"

#include <string_view>
#include <vector>

#include "platform/rsc/rsc_file.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "settings/message_codes.h"

namespace comptab {

namespace {

enum class Need { Optional, Required };

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

// "At most one character" counts bytes: the table writer pads and aligns by
// bytes, so a character outside ASCII would throw the columns off.
bool shortText(const RscValue& value, std::string& field) { return plainText(value, field) && field.size() <= 1; }

bool singleChar(const RscValue& value, std::string& field) { return plainText(value, field) && field.size() == 1; }

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

bool flag(const RscValue& value, int& field) {
  std::string text;
  if (!plainText(value, text)) return false;
  field = equalsNoCase(text, "YES") ? 1 : 0;
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

bool pairTable(const RscValue& value, std::vector<std::string>& first, std::vector<std::string>& second) {
  const RscTable* table = tableOf(value, 2, 2);
  if (table == nullptr) return false;
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* left = table->cell(row, 0);
    if (left == nullptr) return false;
    first.push_back(textOf(*left));
    const RscValue* right = table->cell(row, 1);
    if (right == nullptr) return false;
    second.push_back(textOf(*right));
  }
  return true;
}

// Columns: property, width, quoted (YES), alignment (right); the last two
// may be left out and then count as no.
bool formatTable(const RscValue& value, Settings& settings) {
  const RscTable* table = tableOf(value, 2, 4);
  if (table == nullptr) return false;
  const size_t columns = table->columnCount();
  for (size_t row = 0; row < table->rowCount(); ++row) {
    const RscValue* property = table->cell(row, 0);
    if (property == nullptr) return false;
    settings.formatProperty.push_back(textOf(*property));

    const RscValue* width = table->cell(row, 1);
    if (width == nullptr || width->kind() != RscValue::Integer) return false;
    settings.formatWidth.push_back(width->integer());

    int quoted = 0;
    if (columns >= 3) {
      const RscValue* cell = table->cell(row, 2);
      if (cell == nullptr) return false;
      quoted = equalsNoCase(textOf(*cell), "YES") ? 1 : 0;
    }
    settings.formatQuoted.push_back(quoted);

    int right = 0;
    if (columns >= 4) {
      const RscValue* cell = table->cell(row, 3);
      if (cell == nullptr) return false;
      right = equalsNoCase(textOf(*cell), "right") ? 1 : 0;
    }
    settings.formatRight.push_back(right);
  }
  return true;
}

bool outputMode(const RscValue& value, int& field) {
  std::string text;
  if (!plainText(value, text)) return false;
  if (equalsNoCase(text, "table")) {
    field = 0;
  } else if (equalsNoCase(text, "component")) {
    field = 1;
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

// Reads keys one at a time, naming each in `currentKey` before it is looked
// up so that a failure names the key that caused it.
class KeyReader {
 public:
  KeyReader(const RscFile& file, std::string& currentKey) : file_(file), currentKey_(currentKey) {}

  // False when a required key is absent or `rule` refuses the value.
  // `present` tells whether the key was there at all.
  template <typename Rule>
  bool read(const char* key, Need need, Rule rule, bool* present = nullptr) {
    currentKey_ = key;
    const std::unique_ptr<RscValue> value = file_.lookup(key);
    if (present != nullptr) *present = value != nullptr;
    if (!value) return need == Need::Optional;
    return rule(*value);
  }

 private:
  const RscFile& file_;
  std::string& currentKey_;
};

bool readKeys(KeyReader& keys, Settings& s) {
  using N = Need;
  const auto into = [](auto checker, auto& field) {
    return [checker, &field](const RscValue& value) { return checker(value, field); };
  };
  const auto asFlag = [&](int& field) { return into(flag, field); };

  if (!keys.read("separator", N::Required, into(shortText, s.separator))) return false;
  if (!keys.read("emptyCell", N::Required, into(shortText, s.emptyCell))) return false;
  if (!keys.read("token", N::Required, into(singleChar, s.token))) return false;
  s.quoteChar = "\"";
  if (!keys.read("quoteChar", N::Optional, into(singleChar, s.quoteChar))) return false;
  if (!keys.read("output", N::Optional, into(textKind, s.output))) return false;
  if (!keys.read("sortKey", N::Optional, into(list, s.sortKey))) return false;
  if (!keys.read("excludeType", N::Optional, into(list, s.excludeType))) return false;
  const auto format = [&s](const RscValue& value) { return formatTable(value, s); };
  if (!keys.read("formatTable", N::Required, format)) return false;

  bool termsPresent = false;
  const auto terms = [&s](const RscValue& value) { return pairTable(value, s.termProperty, s.termValue); };
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
  if (!keys.read("package", N::Optional, into(plainText, s.package))) return false;
  if (!keys.read("packageAlso", N::Optional, into(list, s.packageAlso))) return false;
  const auto aliases = [&s](const RscValue& value) { return pairTable(value, s.aliasProperty, s.aliasText); };
  if (!keys.read("headerAlias", N::Optional, aliases)) return false;
  return keys.read("endOfLineStyle", N::Optional, into(lineEndStyle, s.endOfLineStyle));
}

// Sets `resourcePath` to the file to read: the one given, else the personal
// file, else the system file. False, with the reason, when it is not there.
bool locate(Settings& settings, std::string& resourcePath, ReadFailure& failureKind) {
  if (!resourcePath.empty()) {
    if (!pathAccess(resourcePath, Access::Exists)) {
      failureKind = ReadFailure::NotFound;
      return false;
    }
    settings.resourceGiven = 1;
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

}  // namespace

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
  if (!readableFile(resourcePath)) {
    outcome.failure = ReadFailure::NotReadable;
    return outcome;
  }
  const RscFile file = RscFile::open(resourcePath, &outcome.parseError);
  KeyReader keys(file, outcome.currentKey);
  if (!readKeys(keys, settings)) outcome.failure = ReadFailure::BadContent;
  return outcome;
}

std::unique_ptr<Settings> loadSettings(std::string& resourcePath, ResourceOutcome& outcome) {
  auto settings = std::make_unique<Settings>();
  outcome = readResource(*settings, resourcePath);
  if (!outcome.ok()) return nullptr;
  return settings;
}

}  // namespace comptab
