// The optional checks of gate packaging against the KCDB: a row's values
// of the properties its device lists (chkkcdbprop), and packages that leave
// gates of their part unused (chkopengate).
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace comptab {

class ComponentRecord;
class DestinationWords;
class KcdbCache;
class KcdbDevice;
class RecordTable;
class Reporter;
struct RowReport;

// Warns (38673) for each entry of the device's property table whose name
// the row gives a value none of the table's entries of that name allow; an
// absent property counts as empty. A name listed n times warns n times.
class DevicePropertyCheck {
 public:
  void check(Reporter& reporter, const ComponentRecord& row, const KcdbDevice& device, const RowReport& report);

 private:
  using AllowedValues = std::unordered_map<std::string, std::unordered_set<std::string>>;
  // Built once per device, so a long property table is not searched once
  // for each of its own entries on every row.
  std::unordered_map<const KcdbDevice*, AllowedValues> allowed_;
};

// Checks every package of the packaged table for gates its KCDB components
// have and it does not use (38676, 38677), and for a lone power box
// (38678). A package without open gates names each row that could not be
// packaged for want of KCDB data or a gate number but carries its
// reference (38674).
void checkOpenGates(KcdbCache& kcdb, Reporter& reporter, const RecordTable& table, int firstItem,
                    const DestinationWords& words);

}  // namespace comptab
