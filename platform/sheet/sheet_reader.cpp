#include "platform/sheet/sheet_reader.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/sheet/component_split.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_data.h"
#include "platform/sheet/sheet_parser.h"
#include "platform/support/file_bytes.h"
#include "platform/support/file_handle.h"
#include "platform/support/json_reader.h"
#include "platform/support/loaded_file.h"

namespace comptab {

namespace dom = simdjson::dom;

bool sheetReaderReady() {
  const simdjson::implementation* active = simdjson::get_active_implementation();
  return active != nullptr && active->name() != "unsupported";
}

namespace {

// Reads the file's components one at a time, each parsed on its own as the
// reading passes through the loaded file, then the rest of the file with the
// components array left empty. False when anything is amiss, without a
// reason: the whole-file reading then finds the fault and words it, so that
// both ways of reading refuse the same files with the same words. Whole
// pieces of valid JSON joined by ", " make valid JSON, and the nesting a
// component may have is the file's less the two levels around it.
bool readInPieces(const std::string& path, LoadedFile& file, SheetData& sheet) {
  const std::string_view text = file.text();
  ComponentSplit split(text);
  if (!split.findArray()) return false;
  sheet.fileName = path;
  sheet.texts.reserve(text.size());
  // Room by the smallest a generous guess of each takes in the file: the
  // pages of room never used are never touched, and growing the arrays
  // would copy them while both copies are in memory.
  sheet.components.reserve(text.size() / 64);
  sheet.pins.reserve(text.size() / 32);
  sheet.properties.reserve(text.size() / 16);
  // The text before the array is kept aside now: its pages are let go
  // with the first components, and it is parsed with the rest at the end.
  const std::string head(text.substr(0, split.arrayOpen() + 1));
  std::string ignored;
  SheetParser reader(sheet, &ignored, text.size());
  dom::parser parser;
  size_t forgotten = 0;
  constexpr size_t kForgetStep = size_t{16} << 20;
  std::string_view piece;
  for (size_t i = 0; split.next(piece); ++i) {
    if (piece.size() > parser.capacity() &&
        parser.allocate(std::max<size_t>(piece.size(), 4096), kSheetMaxDepth - 2) != simdjson::SUCCESS)
      return false;
    // The parser reads up to SIMDJSON_PADDING bytes past the piece: the
    // file's next bytes, or the zeros loadFile adds after the last.
    dom::element component;
    if (parser.parse(piece.data(), piece.size(), false).get(component) != simdjson::SUCCESS) return false;
    if (!reader.streamedComponent(component, i)) return false;
    const size_t offset = static_cast<size_t>(piece.data() - text.data());
    if (offset - forgotten > kForgetStep) {
      file.forgetBefore(offset);
      forgotten = offset;
    }
  }
  if (!split.done()) return false;
  const std::string_view tail = text.substr(split.arrayClose());
  std::unique_ptr<char[]> rest(new char[head.size() + tail.size() + simdjson::SIMDJSON_PADDING]());
  std::memcpy(rest.get(), head.data(), head.size());
  std::memcpy(rest.get() + head.size(), tail.data(), tail.size());
  dom::element root;
  if (!parseJsonText(parser, {rest.get(), head.size() + tail.size()}, kSheetMaxDepth, "a sheet file", root, &ignored))
    return false;
  return reader.document(root);
}

bool readWhole(const std::string& path, const FileHandle& file, uint64_t size, SheetData& sheet,
               std::string* reason) {
  FileBytes bytes;
  if (!readFileBytes(file, size, DesignDb::kMaxFileBytes, simdjson::SIMDJSON_PADDING, bytes, reason)) return false;
  dom::parser parser;
  dom::element root;
  if (!parseJsonText(parser, bytes.text(), kSheetMaxDepth, "a sheet file", root, reason)) return false;
  // The parsed document holds copies of the texts: the file's bytes can go
  // before the sheet is built, which keeps the peak of memory down.
  const size_t textBytes = bytes.text().size();
  bytes.release();
  sheet.fileName = path;
  sheet.texts.reserve(textBytes);
  SheetParser reader(sheet, reason, textBytes);
  return reader.document(root);
}

// The file loaded into memory of its own, then read a component at a
// time. Loading leaves the file's offset at the start, for the whole
// reading.
bool loadInPieces(const std::string& path, const FileHandle& file, uint64_t size, SheetData& sheet) {
  LoadedFile loaded;
  return size <= DesignDb::kMaxFileBytes && loadFile(file, size, simdjson::SIMDJSON_PADDING, loaded) &&
         readInPieces(path, loaded, sheet);
}

}  // namespace

bool readSheetFile(const std::string& path, SheetData& sheet, std::string* reason, size_t piecesFrom) {
  FileHandle file;
  uint64_t size = 0;
  if (!openInputFile(path, file, reason, &size)) return false;
  if (size >= piecesFrom) {
    if (loadInPieces(path, file, size, sheet)) return true;
    sheet = SheetData();
  }
  return readWhole(path, file, size, sheet, reason);
}

bool readSheetFileInPieces(const std::string& path, SheetData& sheet) {
  FileHandle file;
  uint64_t size = 0;
  std::string reason;
  return openInputFile(path, file, &reason, &size) && loadInPieces(path, file, size, sheet);
}

}  // namespace comptab
