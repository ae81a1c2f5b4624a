// The floor of the KiCad net list benchmark: libxml2's own cost of an XML
// file, read the way platform/kicadxml reads it (the SAX2 push parser fed
// 1 MiB at a time, no network), with callbacks that only count the
// elements, their attributes and the bytes of character data.
//   xml_sax_count FILE
// prints "elements E attributes A text-bytes T" and exits 0, or says why
// and exits 1 when the file cannot be read or is not well-formed.
#include <libxml/parser.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Counts {
  unsigned long long elements = 0;
  unsigned long long attributes = 0;
  unsigned long long textBytes = 0;
};

void onStart(void* data, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int attributeCount,
             int, const xmlChar**) {
  Counts& counts = *static_cast<Counts*>(data);
  ++counts.elements;
  counts.attributes += static_cast<unsigned long long>(attributeCount);
}

void onText(void* data, const xmlChar*, int length) {
  static_cast<Counts*>(data)->textBytes += static_cast<unsigned long long>(length);
}

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct ParserFree {
  void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: xml_sax_count FILE\n");
    return 2;
  }
  std::unique_ptr<std::FILE, FileClose> file(std::fopen(argv[1], "rb"));
  if (!file) {
    std::perror(argv[1]);
    return 1;
  }
  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = onStart;
  sax.characters = onText;
  sax.ignorableWhitespace = onText;
  sax.cdataBlock = onText;
  Counts counts;
  std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlCreatePushParserCtxt(&sax, &counts, nullptr, 0, argv[1]));
  if (!parser) return 1;
  xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);
  constexpr size_t kChunkBytes = size_t{1} << 20;
  std::unique_ptr<char[]> chunk(new char[kChunkBytes]);
  for (;;) {
    const size_t got = std::fread(chunk.get(), 1, kChunkBytes, file.get());
    const int end = got < kChunkBytes ? 1 : 0;
    if (xmlParseChunk(parser.get(), chunk.get(), static_cast<int>(got), end) != 0 || end) break;
  }
  if (!parser->wellFormed) {
    std::fprintf(stderr, "%s: not well-formed XML\n", argv[1]);
    return 1;
  }
  std::printf("elements %llu attributes %llu text-bytes %llu\n", counts.elements, counts.attributes,
              counts.textBytes);
  return 0;
}
