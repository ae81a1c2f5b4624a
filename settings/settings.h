// Every value of the resource file, with its default. Filled once by the
// resource reader and read-only afterwards.
#pragma once

#include <string>
#include <vector>

namespace comptab {

struct Settings {
  int resourceGiven = 0;  // 1 when named on the command line, 0 when found by the search
  std::string separator;
  std::string emptyCell;
  std::string token;
  std::string quoteChar;  // the reader puts "\"" here when the key is absent
  std::vector<std::string> sortKey;
  std::vector<std::string> formatProperty;
  std::vector<int> formatWidth;
  std::vector<int> formatQuoted;
  std::vector<int> formatRight;
  std::vector<std::string> termProperty;
  std::vector<std::string> termValue;
  std::string searchMode;
  std::vector<std::string> destination;
  std::vector<std::string> excludeType;
  std::string output;
  std::string command;
  std::string mergedProp;
  std::vector<std::string> fixedString;
  std::string beginString;
  std::string endString;
  std::string destHeadString;
  std::string package;
  // comptab's own: properties whose values rows must share too, beside the
  // package property's, to be folded into one row.
  std::vector<std::string> packageAlso;
  int hierarchyLevel = -1;
  int forceOverwrite = 0;
  int alignSeparator = 0;
  int noAdjust = 0;
  int useCompKind = 0;
  int usePropSpec = 0;
  int checkKCDBProperty = 0;
  int checkOpenGate = 0;
  int destinationOutputMode = 0;  // 0 "table", 1 "component"
  int referencePackage = 0;
  int partNamePackage = 0;
  int noHeader = 0;
  std::vector<std::string> aliasProperty;
  std::vector<std::string> aliasText;
  std::string endOfLineStyle;  // "", or "crlf"/"lf" in any case
};

}  // namespace comptab
