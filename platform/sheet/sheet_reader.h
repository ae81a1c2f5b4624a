// Reads a sheet file (docs/sheet-file.md) into a SheetData. Internal to the
// sheet-file library; callers use DesignDb::open.
#pragma once

#include <cstddef>
#include <string>

namespace comptab {

struct SheetData;

// True when the JSON parser has a working implementation for this machine.
bool sheetReaderReady();

// Reads and checks the whole file. On failure `sheet` may hold part of the
// file and must be thrown away; `reason` says what was wrong and where, without
// the file name.
// Files of `piecesFrom` bytes or more are read a component at a time, so
// that a large one is never in memory whole nor as a tree; smaller ones
// are parsed whole, which is quicker for them. Both read the same files
// the same way and refuse the same files with the same reason.
constexpr size_t kSheetPiecesFrom = size_t{4} << 20;
bool readSheetFile(const std::string& path, SheetData& sheet, std::string* reason,
                   size_t piecesFrom = kSheetPiecesFrom);
// The reading a component at a time alone, without falling back on the
// whole reading: false, without a reason, where readSheetFile would fall
// back. Lets a test see that the pieces alone read a file.
bool readSheetFileInPieces(const std::string& path, SheetData& sheet);

}  // namespace comptab
