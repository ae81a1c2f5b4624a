// KiCad's XML net list, the file KiCad hands its BOM generators
// (docs/kicad.md), read as one sheet: a component for each <comp>, with
// its fields and flags as properties, and no positions or zone grid.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/sheet/design_db.h"

namespace comptab {

struct SheetData;

// True when the target names an XML file (".xml", any case); such a
// target is read by this library and nothing else.
bool isKicadXmlFile(std::string_view path);

// Reads and checks the whole net list; the result and `reason` are as
// DesignDb::open's.
DesignDb openKicadXml(const std::string& path, std::string* reason = nullptr);

// The largest net list read.
inline constexpr size_t kMaxKicadXmlBytes = size_t{3} << 29;  // 1.5 GiB

// For DesignDb::openWith: false, with `reason` (no file name), when the
// file is not a net list this reader understands.
bool readKicadXml(const std::string& path, SheetData& sheet, std::string* reason);

}  // namespace comptab
