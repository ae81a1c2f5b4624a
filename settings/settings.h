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

// One column of the table (a formatTable row): the property, or "%n" for
// the n-th fixed text, its width, and how its cells are written.
enum class Alignment { Left, Right };
struct FormatColumn {
  std::string property;
  int width = 0;
  bool quoted = false;
  Alignment alignment = Alignment::Left;
};

// A header title in place of a property's name (a headerAlias row).
struct HeaderAlias {
  std::string property;
  std::string text;
};

// A search term (a termTable row): the property and the expression its
// value must match.
struct SearchTerm {
  std::string property;
  std::string expression;
};

// Whether destinations get a table each or a table of components that
// names each row's destination.
enum class DestinationOutput { Table, Component };

struct Settings {
  bool resourceGiven = false;  // named on the command line, not found by the search
  std::string separator;
  std::string emptyCell;
  std::string token;
  std::string quoteChar;  // the reader puts "\"" here when the key is absent
  std::vector<std::string> sortKey;
  std::vector<FormatColumn> format;
  std::vector<SearchTerm> terms;
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
  bool forceOverwrite = false;
  bool alignSeparator = false;
  bool noAdjust = false;
  bool useCompKind = false;
  bool usePropSpec = false;
  bool checkKCDBProperty = false;
  bool checkOpenGate = false;
  DestinationOutput destinationOutputMode = DestinationOutput::Table;
  bool referencePackage = false;
  bool partNamePackage = false;
  bool noHeader = false;
  std::vector<HeaderAlias> headerAliases;
  std::string endOfLineStyle;  // "", or "crlf"/"lf" in any case

  // comptab's own keys. Left out, each leaves the table exactly as the
  // keys above make it.
  TableFormat tableFormat = TableFormat::Text;
  std::string fieldSeparator = ",";         // between the cells of a CSV table
  bool keepTableTexts = false;              // CSV/TSV: still write the texts around the table
  // Further properties rows must share, beside the package property, to
  // fold: the names after the first of a `package` list, then packageAlso.
  std::vector<std::string> packageAlso;
  bool referenceRanges = false;  // folded references R1,R2,R3 written R1-R3
  std::string rangeChar = "-";
  // A CSV or TSV cell that a spreadsheet would take for a formula (it
  // starts with = + - @, a tab or a carriage return) is written after a '.
  bool guardFormulas = false;
  std::vector<std::string> sortDescending;  // sort keys ordered from the greatest down
  std::vector<std::string> sortByValue;     // sort keys ordered by electrical value
  bool strict = false;                      // a property name no component has is an error
  bool useTermTable = false;                // the termTable filters rows without -mode search
  bool byteOrderMark = false;               // CSV/TSV files begin with the UTF-8 byte-order mark
  std::vector<std::string> valueMeaning;    // package properties compared by the value they stand for
  NameKeyLines keyLines;
};

}  // namespace comptab
