// A strict reader of the S-expressions that KiCad's files are written in:
// lists in parentheses, bare atoms (keywords, numbers, uuids), quoted
// strings with backslash escapes, and |raw| blocks of embedded data.
//
// The whole text becomes a flat array of nodes in one pass. Nothing is
// guessed: an unclosed list, a stray ')', text after the top-level list, a
// byte that is not UTF-8, a NUL in a string, a list nested deeper than
// kMaxDepth, a token longer than kMaxTokenBytes or more than kMaxNodes
// nodes stops the read with one line that says where ("L:C: ", line and
// column counting characters from 1) and what was wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class SexprDocument;

// A node of a parsed document: a list or an atom. A default view is no
// node; every accessor of no node answers empty.
class SexprView {
 public:
  SexprView() = default;
  bool isValid() const { return doc_ != nullptr; }
  bool isList() const;
  // An atom's text (a string's text unescaped); empty for a list.
  std::string_view text() const;
  // A list's first element when it is an atom: "symbol" for (symbol ...).
  std::string_view head() const;
  // The i-th element of a list (0 is the head); no node past the end.
  SexprView at(size_t i) const;
  // The text of the i-th element, empty when there is none or it is a list.
  std::string_view textAt(size_t i) const { return at(i).text(); }
  // The first element that is a list headed by `name`.
  SexprView find(std::string_view name) const;
  // The next element of the list that holds this node.
  SexprView next() const;
  // Byte offset of the node in the text.
  uint32_t offset() const;

  class Iterator {
   public:
    SexprView operator*() const { return SexprView(doc_, index_); }
    Iterator& operator++();
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    friend class SexprView;
    Iterator(const SexprDocument* doc, uint32_t index) : doc_(doc), index_(index) {}
    const SexprDocument* doc_;
    uint32_t index_;
  };
  // The elements of a list, head included.
  Iterator begin() const;
  Iterator end() const { return Iterator(doc_, 0); }

 private:
  friend class SexprDocument;
  SexprView(const SexprDocument* doc, uint32_t index) : doc_(index != 0 ? doc : nullptr), index_(index) {}
  const SexprDocument* doc_ = nullptr;
  uint32_t index_ = 0;
};

class SexprDocument {
 public:
  static constexpr size_t kMaxDepth = 256;
  static constexpr size_t kMaxTokenBytes = size_t{16} << 20;
  // A node takes 16 bytes, and "()" makes one of two bytes of text: this
  // bounds a document's nodes at 128 MiB of memory, where KiCad's largest
  // demo sheet (320 KB) makes some 54 000.
  static constexpr size_t kMaxNodes = size_t{8} << 20;

  // Parses `text`, which must stay alive and unchanged as long as the
  // document is used (atoms are views into it). False, with `reason`, when
  // given, saying "L:C: what", when the text is not one well-formed list.
  bool parse(std::string_view text, std::string* reason = nullptr);

  // Reads `text` as parse() does, but hands each list of the top-level list
  // to `item` as soon as it is closed and then forgets its nodes: the
  // document keeps the top-level list and its atoms only, and holds at once
  // no more than the nodes of one such list (kMaxNodes bounds those). Once
  // `item` returns false it is not called again and the rest of the text is
  // still checked, so a fault of the text anywhere is told before what
  // `item` found. False when either failed; `textFailed` then says whether
  // the text was at fault (`reason` says how) or `item` was.
  bool parseItems(std::string_view text, const std::function<bool(SexprView)>& item, bool& textFailed,
                  std::string* reason = nullptr);

  // The top-level list.
  SexprView root() const { return SexprView(this, nodes_.size() > 1 ? 1 : 0); }
  // "line L, column C" of a byte offset of the text.
  std::string where(uint32_t offset) const;
  // The same as "L:C", for "file:L:C: what" lines.
  std::string place(uint32_t offset) const;

 private:
  friend class SexprView;
  // `size` holds an atom's length, or kUnescaped and the index of its text
  // in unescaped_, or kList.
  static constexpr uint32_t kList = uint32_t{1} << 31;
  static constexpr uint32_t kUnescaped = uint32_t{1} << 30;
  struct Node {
    uint32_t offset = 0;  // where the node starts in the text
    uint32_t size = 0;
    uint32_t first = 0;  // a list's first element; where an atom's text starts
    uint32_t next = 0;   // the next element of the enclosing list
  };
  std::string_view textOf(const Node& node) const {
    if ((node.size & kList) != 0) return {};
    if ((node.size & kUnescaped) != 0) return unescaped_[node.size & ~kUnescaped];
    return text_.substr(node.first, node.size);
  }
  void position(uint32_t offset, size_t& line, size_t& column) const;
  bool fail(size_t offset, const std::string& what, std::string* reason) const;
  static std::string tooManyNodes();
  bool run(std::string_view text, const std::function<bool(SexprView)>* item, bool& textFailed, std::string* reason);

  std::string_view text_;
  std::vector<Node> nodes_;          // [0] is no node
  std::deque<std::string> unescaped_;  // strings whose escapes were replaced
};

// The first byte at which `text` is not valid UTF-8, or text.size().
size_t invalidUtf8At(std::string_view text);

}  // namespace comptab
