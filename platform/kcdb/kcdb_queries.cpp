#include "platform/kcdb/kcdb_queries.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include "platform/kcdb/kcdb_schema.h"

namespace comptab {

namespace {

using Step = SqliteStatement::Step;
using Type = SqliteStatement::Type;

// Names are bound, never spliced into the text. A name should be unique,
// but a file built without the constraint still gives one answer: the
// first row stored.
constexpr std::string_view kDeviceSql = "SELECT id, name FROM devices WHERE name = ?1 ORDER BY id LIMIT 1";
constexpr std::string_view kDevicePropsSql =
    "SELECT name, value FROM device_properties WHERE device_id = ?1 ORDER BY position";
constexpr std::string_view kDeviceLibrarySql =
    "SELECT l.id, l.name, l.present FROM devices AS d JOIN libraries AS l ON l.id = d.library_id"
    " WHERE d.name = ?1 ORDER BY d.id LIMIT 1";
constexpr std::string_view kComponentSql =
    "SELECT c.id, c.name, c.type_code, c.gate_count FROM devices AS d JOIN components AS c ON c.device_id = d.id"
    " WHERE d.name = ?1 AND d.library_id = ?2 AND c.name = ?3 ORDER BY d.id, c.id LIMIT 1";
constexpr std::string_view kPinGatesSql = "SELECT pin_number, gate_no FROM pin_gates WHERE component_id = ?1";

}  // namespace

KcdbQueries::KcdbQueries() = default;
KcdbQueries::~KcdbQueries() = default;

bool KcdbQueries::fail(std::string* reason, const std::string& what) const {
  if (reason != nullptr) {
    *reason = (path_.empty() ? "" : path_ + ": ") + (lookup_.empty() ? "" : lookup_ + ": ") + what;
  }
  return false;
}

void KcdbQueries::startLookup(const char* kind, std::string_view name, std::string_view componentName) {
  lookup_ = std::string(kind) + " \"" + std::string(name) + "\"";
  if (!componentName.empty()) lookup_ += " component \"" + std::string(componentName) + "\"";
}

bool KcdbQueries::open(const std::string& path, std::string* reason) {
  close();
  path_ = path;
  lookup_.clear();
  if (path.empty()) return fail(reason, "no database named");
  // SQLite's own message for these does not say which it was.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return fail(reason, "no such file");
  if (ec) return fail(reason, ec.message());
  if (status.type() == std::filesystem::file_type::directory) return fail(reason, "is a directory");

  std::string why;
  if (!db_.openReadOnly(path, &why)) return failOpen(reason, why);
  return prepareLookups(reason);
}

bool KcdbQueries::prepareLookups(std::string* reason) {
  std::string why;
  if (!checkKcdbSchema(db_, &why)) return failOpen(reason, why);
  const struct {
    std::unique_ptr<SqliteStatement>& statement;
    std::string_view sql;
  } prepared[] = {{device_, kDeviceSql},
                  {deviceProps_, kDevicePropsSql},
                  {deviceLibrary_, kDeviceLibrarySql},
                  {component_, kComponentSql},
                  {pinGates_, kPinGatesSql}};
  for (const auto& p : prepared) {
    p.statement = db_.prepare(p.sql, &why);
    if (!p.statement) return failOpen(reason, why);
  }
  return true;
}

bool KcdbQueries::failOpen(std::string* reason, const std::string& what) {
  close();
  return fail(reason, what);
}

void KcdbQueries::close() {
  device_.reset();
  deviceProps_.reset();
  deviceLibrary_.reset();
  component_.reset();
  pinGates_.reset();
  db_.close();
}

bool KcdbQueries::finish(SqliteStatement& statement, bool ok, std::string* reason) {
  std::string why;
  if (!statement.reset(&why) && ok) return fail(reason, why);
  return ok;
}

bool KcdbQueries::readText(SqliteStatement& statement, int column, const char* what, std::string& text,
                           std::string* reason) {
  const Type type = statement.columnType(column);
  if (type != Type::Text && type != Type::Null) return fail(reason, std::string(what) + " is not text");
  std::string why;
  if (!statement.columnText(column, text, &why)) return fail(reason, why);
  return true;
}

bool KcdbQueries::readInt(SqliteStatement& statement, int column, int64_t low, int64_t high, const char* what,
                          int64_t& value, std::string* reason) {
  value = statement.columnInt(column);
  if (statement.columnType(column) != Type::Integer) return fail(reason, std::string(what) + " is not an integer");
  if (value < low || value > high) {
    return fail(reason, std::string(what) + " is " + std::to_string(value) + ", outside " + std::to_string(low) +
                            " to " + std::to_string(high));
  }
  return true;
}

KcdbDevice KcdbQueries::device(std::string_view name, std::string* reason) {
  if (!isOpen()) return {};
  ++counts.devices;
  startLookup("device", name);
  SqliteStatement& find = *device_;
  int64_t id = 0;
  std::string deviceName;
  std::string why;
  bool ok = find.bind(1, name, &why) || fail(reason, why);
  Step step = ok ? find.step(&why) : Step::Error;
  if (ok && step == Step::Error) ok = fail(reason, why);
  if (ok && step == Step::Row) {
    ok = readInt(find, 0, INT64_MIN, INT64_MAX, "devices.id", id, reason) &&
         readText(find, 1, "devices.name", deviceName, reason);
  }
  if (!finish(find, ok, reason) || step != Step::Row) return {};

  SqliteStatement& props = *deviceProps_;
  KcdbPropertyTable table;
  ok = props.bind(1, id, &why) || fail(reason, why);
  while (ok) {
    step = props.step(&why);
    if (step == Step::Done) break;
    if (step == Step::Error) {
      ok = fail(reason, why);
      break;
    }
    KcdbProperty entry;
    ok = readText(props, 0, "device_properties.name", entry.name, reason) &&
         readText(props, 1, "device_properties.value", entry.value, reason);
    if (ok) table.push_back(std::move(entry));
  }
  if (!finish(props, ok, reason)) return {};
  return KcdbDevice(std::move(deviceName), std::move(table));
}

std::optional<KcdbQueries::Library> KcdbQueries::libraryOf(std::string_view deviceName, std::string* reason) {
  if (!isOpen()) return std::nullopt;
  ++counts.readers;
  startLookup("library of device", deviceName);
  SqliteStatement& find = *deviceLibrary_;
  Library library;
  int64_t present = 0;
  std::string why;
  bool ok = find.bind(1, deviceName, &why) || fail(reason, why);
  const Step step = ok ? find.step(&why) : Step::Error;
  if (ok && step == Step::Error) ok = fail(reason, why);
  if (ok && step == Step::Row) {
    ok = readInt(find, 0, INT64_MIN, INT64_MAX, "libraries.id", library.id, reason) &&
         readText(find, 1, "libraries.name", library.name, reason) &&
         readInt(find, 2, INT64_MIN, INT64_MAX, "libraries.present", present, reason);
  }
  if (!finish(find, ok, reason) || step != Step::Row) return std::nullopt;
  library.present = present != 0;
  return library;
}

KcdbComponent KcdbQueries::component(int64_t libraryId, std::string_view deviceName, std::string_view componentName,
                                     std::string* reason) {
  if (!isOpen()) return {};
  ++counts.components;
  startLookup("device", deviceName, componentName);
  SqliteStatement& find = *component_;
  int64_t id = 0;
  int64_t typeCode = 0;
  int64_t gateCount = 0;
  std::string name;
  std::string why;
  bool ok = (find.bind(1, deviceName, &why) && find.bind(2, libraryId, &why) && find.bind(3, componentName, &why)) ||
            fail(reason, why);
  const Step step = ok ? find.step(&why) : Step::Error;
  if (ok && step == Step::Error) ok = fail(reason, why);
  if (ok && step == Step::Row) {
    ok = readInt(find, 0, INT64_MIN, INT64_MAX, "components.id", id, reason) &&
         readText(find, 1, "components.name", name, reason) &&
         readInt(find, 2, 0, UINT16_MAX, "components.type_code", typeCode, reason) &&
         readInt(find, 3, 0, INT_MAX, "components.gate_count", gateCount, reason);
  }
  if (!finish(find, ok, reason) || step != Step::Row) return {};

  KcdbComponent::GateMap gates;
  if (!readGates(id, gates, reason)) return {};
  return KcdbComponent(std::move(name), static_cast<uint16_t>(typeCode), static_cast<int>(gateCount), std::move(gates));
}

bool KcdbQueries::readGates(int64_t componentId, KcdbComponent::GateMap& gates, std::string* reason) {
  SqliteStatement& pins = *pinGates_;
  std::string why;
  bool ok = pins.bind(1, componentId, &why) || fail(reason, why);
  while (ok) {
    const Step step = pins.step(&why);
    if (step == Step::Done) break;
    if (step == Step::Error) {
      ok = fail(reason, why);
      break;
    }
    std::string pinNumber;
    int64_t gateNo = 0;
    ok = readText(pins, 0, "pin_gates.pin_number", pinNumber, reason) &&
         readInt(pins, 1, 0, INT_MAX, "pin_gates.gate_no", gateNo, reason);
    // A pin listed twice keeps its first gate, like a name listed twice.
    if (ok) gates.emplace(std::move(pinNumber), static_cast<int>(gateNo));
  }
  return finish(pins, ok, reason);
}

}  // namespace comptab
