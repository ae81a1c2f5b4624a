#include "platform/kicadxml/xml_stream.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/support/file_handle.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

struct ParserFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

std::string errnoText(int code) { return std::generic_category().message(code); }

std::string_view xmlText(const xmlChar* text) {
  return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// What the callbacks share: the handler, the parser, and the first
// failure, whoever found it.
struct Session {
  explicit Session(XmlHandler& h) : handler(h) {}
  XmlHandler& handler;
  xmlParserCtxt* parser = nullptr;
  size_t depth = 0;
  std::vector<XmlAttribute> attributes;
  std::string failure;  // with its place
  bool stopped = false;

  std::string place() const {
    const long line = parser ? xmlSAX2GetLineNumber(parser) : 0;
    const long column = parser ? xmlSAX2GetColumnNumber(parser) : 0;
    return strprintf("line %ld, column %ld: ", line, column);
  }
  // Ends the reading with `why` unless an earlier failure was recorded.
  void stop(const std::string& why) {
    if (!stopped) failure = place() + why;
    stopped = true;
    xmlStopParser(parser);
  }
  bool check(bool ok) {
    if (!ok) stop(handler.failure.empty() ? "the reading was stopped" : handler.failure);
    return ok;
  }
};

Session& sessionOf(void* data) { return *static_cast<Session*>(data); }

void onStart(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**,
             int attributeCount, int, const xmlChar** attributes) {
  Session& s = sessionOf(data);
  if (s.stopped) return;
  if (++s.depth > kMaxXmlDepth) {
    s.stop(strprintf("elements nest deeper than %zu levels", kMaxXmlDepth));
    return;
  }
  // Five pointers an attribute: name, prefix, namespace, value, value end.
  s.attributes.clear();
  for (int i = 0; i < attributeCount; ++i) {
    const xmlChar* const* a = attributes + 5 * i;
    s.attributes.push_back(
        {xmlText(a[0]), std::string_view(reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3]))});
  }
  s.check(s.handler.startElement(xmlText(localName), s.attributes));
}

void onEnd(void* data, const xmlChar* localName, const xmlChar*, const xmlChar*) {
  Session& s = sessionOf(data);
  if (s.stopped) return;
  --s.depth;
  s.check(s.handler.endElement(xmlText(localName)));
}

void onText(void* data, const xmlChar* text, int length) {
  Session& s = sessionOf(data);
  if (s.stopped) return;
  s.check(s.handler.text(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length))));
}

// Called when "<!DOCTYPE name ..." has been read and before its internal
// subset is: stopping here means no entity is ever declared.
void onDoctype(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
  sessionOf(data).stop("a DOCTYPE is not allowed (a KiCad net list has none, and entities are never expanded)");
}

void onError(void* data, xmlError* error) {
  Session& s = sessionOf(data);
  if (s.stopped || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message ? error->message : "unknown error";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  s.failure = strprintf("line %d, column %d: not valid XML: ", error->line, error->int2) + message;
  s.stopped = true;
}

xmlSAXHandler saxHandler() {
  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = onStart;
  sax.endElementNs = onEnd;
  sax.characters = onText;
  sax.ignorableWhitespace = onText;
  sax.cdataBlock = onText;
  sax.internalSubset = onDoctype;
  sax.serror = onError;
  return sax;
}

// The parser checks each attribute of a start tag against every one
// before it, so one tag of a million attributes would take hours. No net
// list needs more than a handful; a run of more '=' signs than
// kMaxXmlAttributes with no '>' among them can only be such a tag (or text
// no one writes), and is refused before the parser sees it.
class AttributeGuard {
 public:
  // False at the first '=' too many, with its place in the file in `at`.
  bool scan(std::string_view chunk, size_t chunkOffset, size_t& at) {
    size_t start = 0;
    while (start < chunk.size()) {
      const void* found = std::memchr(chunk.data() + start, '>', chunk.size() - start);
      const size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - chunk.data()) : chunk.size();
      const auto count = static_cast<size_t>(std::count(chunk.begin() + static_cast<std::ptrdiff_t>(start),
                                                        chunk.begin() + static_cast<std::ptrdiff_t>(end), '='));
      if (equals_ + count > kMaxXmlAttributes) {
        for (size_t i = start; i < end; ++i)
          if (chunk[i] == '=' && ++equals_ > kMaxXmlAttributes) {
            at = chunkOffset + i;
            return false;
          }
      }
      equals_ = found ? 0 : equals_ + count;
      start = end + 1;
    }
    return true;
  }

 private:
  size_t equals_ = 0;
};

// The parser's word for a file that is some other text is "Document is
// empty", which misleads; say what the file begins with instead. A UTF-16
// file starts with its byte-order mark and is left to the parser.
bool startsLikeXml(std::string_view head, std::string& why) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  if (head.starts_with("\xFE\xFF") || head.starts_with("\xFF\xFE")) return true;
  long line = 1;
  long column = 1;
  for (const char c : head) {
    if (c == '<') return true;
    if (c == '\n') {
      ++line;
      column = 1;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++column;
    } else {
      why = strprintf("line %ld, column %ld: not XML: the text begins with '%c' where XML begins with '<'", line,
                      column, c);
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
        why = strprintf("line %ld, column %ld: not XML: the text begins with byte 0x%02X where XML begins with '<'",
                        line, column, static_cast<unsigned>(static_cast<unsigned char>(c)));
      return false;
    }
  }
  return true;
}

bool readXml(const std::string& path, size_t maxBytes, XmlHandler& handler, std::string& why) {
  // A FIFO or a device is refused without blocking, and the file counts
  // among the run's inputs, which no output may overwrite.
  FileHandle file;
  uint64_t size = 0;
  if (!openInputFile(path, file, &why, &size)) return false;
  if (size == 0) {
    why = "the file is empty";
    return false;
  }
  if (size > maxBytes) {
    why = strprintf("the file is larger than %zu bytes", maxBytes);
    return false;
  }

  xmlSAXHandler sax = saxHandler();
  Session session(handler);
  std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlCreatePushParserCtxt(&sax, &session, nullptr, 0, path.c_str()));
  if (!parser) {
    why = "the XML parser cannot be started";
    return false;
  }
  session.parser = parser.get();
  // No network, and neither entity substitution nor DTD loading, which
  // are off unless asked for; the DOCTYPE refusal above makes sure.
  xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);

  std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
  size_t total = 0;
  AttributeGuard guard;
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk.get(), kChunkBytes);
    if (got < 0) {
      if (errno == EINTR) continue;
      why = "cannot read the file: " + errnoText(errno);
      return false;
    }
    total += static_cast<size_t>(got);
    // The file may grow while it is read.
    if (total > maxBytes) {
      why = strprintf("the file is larger than %zu bytes", maxBytes);
      return false;
    }
    if (total == static_cast<size_t>(got) && !startsLikeXml({chunk.get(), total}, why)) return false;
    size_t at = 0;
    if (!guard.scan({chunk.get(), static_cast<size_t>(got)}, total - static_cast<size_t>(got), at)) {
      why = strprintf(
          "offset %zu: more than %zu '=' with no '>' among them: a start tag with so many attributes is "
          "refused",
          at, kMaxXmlAttributes);
      return false;
    }
    const int end = got == 0 ? 1 : 0;
    const int status = xmlParseChunk(parser.get(), chunk.get(), static_cast<int>(got), end);
    if (session.stopped || status != 0) break;
    if (end) break;
  }
  if (!session.stopped && !parser->wellFormed) {
    const xmlError* error = xmlCtxtGetLastError(parser.get());
    session.failure = error ? strprintf("line %d, column %d: not valid XML: %s", error->line, error->int2,
                                        error->message ? error->message : "unknown error")
                            : "not valid XML";
    while (!session.failure.empty() && session.failure.back() == '\n') session.failure.pop_back();
    session.stopped = true;
  }
  if (session.stopped) {
    why = session.failure;
    return false;
  }
  return true;
}

}  // namespace

bool readXmlFile(const std::string& path, size_t maxBytes, XmlHandler& handler, std::string* reason) {
  std::string why;
  if (readXml(path, maxBytes, handler, why)) return true;
  if (reason != nullptr) *reason = why;
  return false;
}

}  // namespace comptab
