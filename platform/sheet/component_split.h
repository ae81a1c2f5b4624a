// Finds the components of a sheet file's text one by one without parsing
// the text, so that each can be parsed on its own while the file streams
// past: a tree of the whole file would cost several times the file's size.
// The skim trusts nothing: the parser still reads every byte, as a
// component, or in the rest of the file once the components are cut out
// (see sheet_reader.cpp). Internal to the sheet-file library.
#pragma once

#include <cstddef>
#include <string_view>

namespace comptab {

class ComponentSplit {
 public:
  explicit ComponentSplit(std::string_view text) : text_(text) {}

  // Finds the top-level field "components" and the '[' that opens its
  // array. False when the text does not start as a sheet file whose
  // components are an array: then it is read whole.
  bool findArray();
  // The next component's text, true; false at the array's ']' (done() is
  // then true) or where the text between components is not a ", ".
  bool next(std::string_view& component);
  bool done() const { return close_ != 0; }
  // Where the array's '[' and ']' are.
  size_t arrayOpen() const { return open_; }
  size_t arrayClose() const { return close_; }

 private:
  void skipSpace();
  bool skipString();
  bool skipValue();

  std::string_view text_;
  size_t at_ = 0;
  size_t open_ = 0;
  size_t close_ = 0;
  bool first_ = true;
};

}  // namespace comptab
