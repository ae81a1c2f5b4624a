// Reads an XML file as a stream of elements and texts, in pieces, so that
// memory does not grow with the file: a KiCad net list of a million parts
// is a gigabyte of XML, and a document tree of it would be three times that.
//
// The reader is strict where XML allows more than a net list needs: a
// DOCTYPE is refused before its internal subset is read, so no entity is
// ever declared, expanded or loaded from outside the file (the five
// predefined ones and character references are all a document may use);
// nothing is fetched from the network; elements may nest kMaxXmlDepth
// deep and a start tag hold at most kMaxXmlAttributes attributes.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace comptab {

struct XmlAttribute {
  std::string_view name;
  std::string_view value;
  int known = -1;  // the name's index in XmlHandler::knownNames(), or -1
};

// What the reader reports, in document order. Returning false stops the
// reading; the handler then says why in `failure`, without the place,
// which the reader puts in front.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // The element and attribute names the handler tells apart. The reader
  // gives each element and attribute the index of its name here, or -1,
  // found by where the parser keeps the name rather than by its bytes.
  virtual std::span<const std::string_view> knownNames() const { return {}; }
  // `known` is the element name's index in knownNames(), or -1.
  virtual bool startElement(std::string_view name, int known, std::span<const XmlAttribute> attributes) = 0;
  virtual bool endElement(std::string_view name) = 0;
  // Character data, in one or more pieces; references already replaced.
  virtual bool text(std::string_view piece) = 0;

  std::string failure;
  // Elements nested deeper than this (the root is at depth 1), their texts
  // and their ends are not reported: a handler that has no use for what an
  // element holds sets it to that element's depth, and back to
  // kReportAll at its end. The file is parsed and checked all the same.
  static constexpr size_t kReportAll = ~size_t{0};
  size_t reportDepth = kReportAll;
  // While false, character data is not reported (most of a file's text is
  // the blanks between its elements); it is parsed and checked all the same.
  bool wantsText = true;
};

inline constexpr size_t kMaxXmlDepth = 64;
// At most this many attributes in a start tag: the parser's cost grows with
// their square.
inline constexpr size_t kMaxXmlAttributes = 256;

// True when the whole file was read and is well-formed XML within the
// limits above; otherwise `reason` says what was wrong and where ("line L,
// column C: ..."), without the file name. Files over `maxBytes` are
// refused before they are read.
bool readXmlFile(const std::string& path, size_t maxBytes, XmlHandler& handler, std::string* reason);

}  // namespace comptab
