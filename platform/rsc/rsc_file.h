// The resource-file library: a TOML file seen as top-level keys whose values
// are text, integers, tables of cells, or something else.
//
//   kind 1  a string
//   kind 2  an integer that fits in 32 bits
//   kind 3  any other scalar (boolean, float, date, a larger integer), as
//           its TOML text
//   kind 4  an array: of scalars, a table of one column; of arrays all of the
//           same length holding scalars, a table with that many columns; an
//           empty array, a table of one column and no rows
//   kind 5  an inline or standard table, or an array that is not a table
//           (scalars mixed with arrays, rows of unequal length, tables or
//           arrays inside a row)
//
// Only top-level keys are looked up. A file that cannot be read or parsed
// has no keys, and the reason its opening hands back says why, with line
// and column.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class RscTable;

class RscValue {
 public:
  enum Kind { Text = 1, Integer = 2, Scalar = 3, Table = 4, Other = 5 };

  int kind() const { return kind_; }
  // The value's text: the string itself, an integer's digits, a scalar's
  // TOML text. Nothing for tables and kind 5.
  const std::optional<std::string>& text() const { return text_; }
  // Asked only of kind 2.
  int32_t integer() const { return integer_; }
  // The table of a kind-4 value, else null.
  const RscTable* table() const { return table_.get(); }

  RscValue();
  ~RscValue();
  RscValue(RscValue&&) noexcept;
  RscValue& operator=(RscValue&&) noexcept;

 private:
  friend class RscFile;
  int kind_ = Other;
  std::optional<std::string> text_;
  int32_t integer_ = 0;
  std::unique_ptr<RscTable> table_;
};

class RscTable {
 public:
  size_t columnCount() const { return columns_; }
  // Kept apart from the cells so that rows of no columns ([[], []]) count.
  size_t rowCount() const { return rows_; }
  // Null when the cell is out of range.
  const RscValue* cell(size_t row, size_t col) const;

 private:
  friend class RscFile;
  size_t columns_ = 0;
  size_t rows_ = 0;
  std::vector<RscValue> cells_;  // row-major
};

class RscFile {
 public:
  // Files larger than this are refused unread: no resource file comes near.
  static constexpr size_t kMaxBytes = 8u << 20;
  // A dotted key or table name (`a.b.c`) of more parts than this is refused
  // before parsing: the parser's recursion follows the parts. Real files
  // use two or three.
  static constexpr size_t kMaxKeyParts = 64;

  // Never fails: a file that cannot be read or parsed opens without keys,
  // and `reason`, when given, says why in one line, with the file, line and
  // column where the parser stopped (it is emptied when the file parsed).
  static RscFile open(const std::string& path, std::string* reason = nullptr);

  // The value of a top-level key, or null when the file has no such key.
  std::unique_ptr<RscValue> lookup(std::string_view key) const;

  // The top-level keys with the line each is written on, in file order:
  // for telling a person which key of theirs was not understood.
  struct KeyPlace {
    std::string key;
    uint32_t line = 0;
    // A [section] or an inline table: the keys inside it are not top-level.
    bool isSection = false;
  };
  std::vector<KeyPlace> keys() const;
  // The line of a top-level key; 0 when the file has no such key.
  uint32_t keyLine(std::string_view key) const;
  // True when the bytes could not be read at all (not a regular file, no
  // permission), as opposed to read but not valid.
  bool readFailed() const { return readFailed_; }

  RscFile();
  ~RscFile();
  RscFile(RscFile&&) noexcept;
  RscFile& operator=(RscFile&&) noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool readFailed_ = false;
};

}  // namespace comptab
