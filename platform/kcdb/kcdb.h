// The component library database (KCDB): devices (parts) with their
// property tables, and the components of each device with their type code,
// gate count and the gate of each pin. docs/kcdb.md gives the file format.
//
// Devices and components come out as values the caller copies; a lookup
// that finds nothing gives a value whose isValid() is 0. A missing device or
// component is an answer, not a failure: only a database that cannot be
// read puts a reason, when one is asked for, into `reason` (one line,
// starting with the database path).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// One entry of a device's property table. A table may hold a name more
// than once (a property with several allowed values).
struct KcdbProperty {
  std::string name;
  std::string value;
};
using KcdbPropertyTable = std::vector<KcdbProperty>;

class KcdbDevice {
 public:
  KcdbDevice() = default;  // no device: isValid() is 0
  KcdbDevice(std::string deviceName, KcdbPropertyTable props);

  int isValid() const { return valid_ ? 1 : 0; }
  const std::string& deviceName() const { return deviceName_; }
  // In the library's order.
  const KcdbPropertyTable& props() const { return props_; }

 private:
  bool valid_ = false;
  std::string deviceName_;
  KcdbPropertyTable props_;
};

class KcdbComponent {
 public:
  using GateMap = std::map<std::string, int, std::less<>>;  // pin number -> gate number

  KcdbComponent() = default;  // no component: isValid() is 0
  KcdbComponent(std::string compName, uint16_t compType, int gateCount, GateMap gates);

  int isValid() const { return valid_ ? 1 : 0; }
  const std::string& compName() const { return compName_; }
  // The raw type code; what it means is the component types' business.
  uint16_t compType() const { return compType_; }
  int gateCount() const { return gateCount_; }
  // The gate that a pin (by its pin-number text, e.g. "1" or "A3") belongs
  // to; 0 when the library gives the pin no gate.
  int gateNo(std::string_view pinNumber) const;

 private:
  bool valid_ = false;
  std::string compName_;
  uint16_t compType_ = 0;
  int gateCount_ = 0;
  // Read with the component, so a copy never needs the database again and
  // may outlive it.
  GateMap gates_;
};

// The devices and components that the extraction and the gate packaging
// ask a library for, whatever keeps them: the KCDB file (KcdbAccess) or a
// library made in memory from the symbols a design carries (KcdbMemory).
class KcdbLibrary {
 public:
  KcdbLibrary() = default;
  virtual ~KcdbLibrary() = default;
  KcdbLibrary(const KcdbLibrary&) = delete;
  KcdbLibrary& operator=(const KcdbLibrary&) = delete;

  // The device of that name; invalid when there is none.
  virtual KcdbDevice findDevice(std::string_view name) = 0;
  // False when the library that holds the device cannot be read now (it is
  // not present, or the database fails); else `found` is the device's
  // component of that name, invalid when it has none.
  virtual bool findComponent(std::string_view deviceName, std::string_view componentName, KcdbComponent& found) = 0;
};

class KcdbQueries;

// Reads the components of the devices of one library. Handed out and owned
// by KcdbAccess; valid until it is closed.
class KcdbReader {
 public:
  KcdbReader(const KcdbReader&) = delete;
  KcdbReader& operator=(const KcdbReader&) = delete;

  const std::string& libraryName() const { return libraryName_; }
  // The component of that name of that device, when the device belongs to
  // this library.
  KcdbComponent component(std::string_view deviceName, std::string_view componentName,
                          std::string* reason = nullptr) const;

 private:
  friend class KcdbAccess;
  KcdbReader(KcdbQueries& queries, int64_t libraryId, std::string libraryName);

  KcdbQueries* queries_;  // owned by the KcdbAccess that owns this reader
  int64_t libraryId_;
  std::string libraryName_;
};

// How many requests each kind of lookup has sent to the database since the
// access was built; what a cache in front of it saves shows here.
struct KcdbRequestCounts {
  int devices = 0;
  int readers = 0;
  int components = 0;
};

class KcdbAccess final : public KcdbLibrary {
 public:
  KcdbAccess();
  ~KcdbAccess() override;

  // Opens the database file read-only; it is never created or changed.
  // Non-zero when it is an SQLite database of the expected schema version
  // with every table and column the lookups use; else 0 and `reason` says
  // why. Opening again closes first.
  int open(const std::string& databasePath, std::string* reason = nullptr);
  int isValid() const;
  // Also ends every reader handed out.
  void close();

  KcdbDevice device(std::string_view name, std::string* reason = nullptr);
  // The reader of the library that holds the device. Null when there is no
  // such device, or its library is listed as not present (its components
  // are not installed), or the database could not be read.
  KcdbReader* reader(std::string_view deviceName, std::string* reason = nullptr);

  const KcdbRequestCounts& requestCounts() const;

  KcdbDevice findDevice(std::string_view name) override;
  bool findComponent(std::string_view deviceName, std::string_view componentName, KcdbComponent& found) override;

 private:
  std::unique_ptr<KcdbQueries> queries_;
  std::map<int64_t, std::unique_ptr<KcdbReader>> readers_;  // by library id
};

}  // namespace comptab
