#include "extract/package_report.h"

#include "platform/support/file_locators.h"
#include "table/component_record.h"

namespace comptab {

DestinationWords::DestinationWords()
    // UTF-8, as every other text of the error file.
    : opening_(SuiteFile::langDir() == "jpn" ? " (\u4ed5\u5411\u3051\u5148:" : " (Destination:") {}

std::string DestinationWords::textFor(const ComponentRecord& row) const {
  static const NameId destName = internName("_DEST");
  const PropertyText dest = row.value(destName);
  if (isEmptyValue(dest)) return {};
  std::string text = opening_;
  text.append(*dest);
  text += ')';
  return text;
}

RowReport rowReport(const ComponentRecord& row, int firstItem, const DestinationWords& words) {
  RowReport report;
  report.destinationText = words.textFor(row);
  report.on = firstItem != 0 || !report.destinationText.empty();
  return report;
}

std::string componentInWarning(const ComponentRecord& row) {
  const std::string id = row.text("id");
  // A row left out of its package carries its reference as _NILR_ instead.
  PropertyText reference = row.value("reference");
  if (isEmptyValue(reference)) reference = row.value("_NILR_");
  if (isEmptyValue(reference)) return id;
  return std::string(*reference) + " (" + id + ")";
}

}  // namespace comptab
