// Every value of the resource file, with its default. Filled once by the
// resource reader and read-only afterwards.
#pragma once

#include <string>
#include <vector>

namespace comptab {

// How a table is written: padded text cells, or RFC 4180 comma-separated
// values, or tab-separated values.
enum class TableFormat { Text, Csv, Tsv, Json, Html };

// The lines of the resource file's keys that name properties (0: absent),
// for the notes on names no component has.
struct NameKeyLines {
  unsigned package = 0;
  unsigned packageAlso = 0;
  unsigned sortKey = 0;
  unsigned formatTable = 0;
  unsigned headerAlias = 0;
  unsigned termTable = 0;
};

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

  // comptab's own keys. Left out, each leaves the table exactly as the
  // keys above make it.
  TableFormat tableFormat = TableFormat::Text;
  std::string fieldSeparator = ",";         // between the cells of a CSV table
  int keepTableTexts = 0;                   // CSV/TSV: still write the texts around the table
  // Further properties rows must share, beside the package property, to
  // fold: the names after the first of a `package` list, then packageAlso.
  std::vector<std::string> packageAlso;
  int referenceRanges = 0;                  // folded references R1,R2,R3 written R1-R3
  std::string rangeChar = "-";
  std::vector<std::string> sortDescending;  // sort keys ordered from the greatest down
  std::vector<std::string> sortByValue;     // sort keys ordered by electrical value
  int strict = 0;                           // a property name no component has is an error
  int useTermTable = 0;                     // the termTable filters rows without -mode search
  int byteOrderMark = 0;                    // CSV/TSV files begin with the UTF-8 byte-order mark
  std::vector<std::string> valueMeaning;    // package properties compared by the value they stand for
  NameKeyLines keyLines;
};

}  // namespace comptab
