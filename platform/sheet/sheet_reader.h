// Reads a sheet file (docs/sheet-file.md) into a SheetData. Internal to the
// sheet-file library; callers use DesignDb::open.
#pragma once

#include <string>

namespace comptab {

struct SheetData;

// True when the JSON parser has a working implementation for this machine.
bool sheetReaderReady();

// Reads and checks the whole file. On failure `sheet` may hold part of the
// file and must be thrown away; `reason` says what was wrong and where, without
// the file name.
bool readSheetFile(const std::string& path, SheetData& sheet, std::string* reason);

}  // namespace comptab
