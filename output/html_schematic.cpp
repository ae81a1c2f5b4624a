#include "output/html_schematic.h"

#include <unordered_map>

#include "output/json_text.h"
#include "platform/kicad/kicad_drawing.h"
#include "platform/kicad/kicad_design.h"
#include "platform/kicad/kicad_schematic.h"

namespace comptab {

namespace {

// One letter a shape kind; the script draws by it.
char kindLetter(KicadShape::Kind kind) {
  switch (kind) {
    case KicadShape::Kind::Polyline: return 'l';
    case KicadShape::Kind::Rectangle: return 'r';
    case KicadShape::Kind::Circle: return 'c';
    case KicadShape::Kind::Arc: return 'a';
    case KicadShape::Kind::Text: return 't';
  }
  return 'l';
}

// [kind, layer, filled, points...], and for text [kind, layer, size,
// angle, horizontal, vertical, text, x, y].
void appendShape(std::string& out, const KicadShape& shape) {
  out += "[\"";
  out += kindLetter(shape.kind);
  out += "\",";
  out += std::to_string(static_cast<int>(shape.layer));
  if (shape.kind == KicadShape::Kind::Text) {
    out += ',';
    appendJsonNumber(out, shape.size);
    out += ',';
    appendJsonNumber(out, shape.angle);
    out += ',' + std::to_string(shape.horizontal) + ',' + std::to_string(shape.vertical) + ',';
    appendJsonString(out, shape.text);
  } else {
    out += shape.filled ? ",1" : ",0";
  }
  for (const double p : shape.points) {
    out += ',';
    appendJsonNumber(out, p);
  }
  out += ']';
}

void appendShapes(std::string& out, const std::vector<KicadShape>& shapes) {
  out += '[';
  for (size_t i = 0; i < shapes.size(); ++i) {
    if (i > 0) out += ',';
    appendShape(out, shapes[i]);
  }
  out += ']';
}

void appendBox(std::string& out, const double* box) {
  out += '[';
  for (int i = 0; i < 4; ++i) {
    if (i > 0) out += ',';
    appendJsonNumber(out, box[i]);
  }
  out += ']';
}

void appendFile(std::string& out, const KicadSchematic& file) {
  const KicadDrawing drawing = drawKicadSchematic(file);
  out += "{\"w\":";
  appendJsonNumber(out, file.paperWidth());
  out += ",\"h\":";
  appendJsonNumber(out, file.paperHeight());
  out += ",\"shapes\":";
  appendShapes(out, drawing.shapes);
  // Symbols by their index in the file: [index, reference shape, box,
  // shapes, unit count].
  out += ",\"symbols\":[";
  for (size_t i = 0; i < drawing.symbols.size(); ++i) {
    const KicadDrawnSymbol& symbol = drawing.symbols[i];
    if (i > 0) out += ",\n";
    out += '[' + std::to_string(symbol.symbol) + ',' + std::to_string(symbol.reference) + ',';
    appendBox(out, symbol.box);
    out += ',';
    appendShapes(out, symbol.shapes);
    out += ',' + std::to_string(symbol.unitCount) + ']';
  }
  out += "],\"blocks\":[";
  for (size_t i = 0; i < drawing.blocks.size(); ++i) {
    if (i > 0) out += ',';
    out += '[' + std::to_string(drawing.blocks[i].sheet) + ',';
    appendBox(out, drawing.blocks[i].box);
    out += ']';
  }
  out += "]}";
}

}  // namespace

std::string kicadSchematicJson(const KicadDesign& design) {
  const std::vector<KicadSheetInstance>& sheets = design.sheets();
  const std::vector<KicadPlacedUnit>& units = design.units();
  std::unordered_map<const KicadSchematic*, size_t> fileIndex;
  std::string files;
  for (const KicadSheetInstance& sheet : sheets) {
    if (sheet.schematic == nullptr || !fileIndex.emplace(sheet.schematic, fileIndex.size()).second) continue;
    if (!files.empty()) files += ",\n";
    appendFile(files, *sheet.schematic);
  }
  // The sheet each block leads to: a sheet's children come in the order of
  // its blocks.
  std::vector<std::vector<int>> blocks(sheets.size());
  for (size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].parent >= 0) blocks[static_cast<size_t>(sheets[i].parent)].push_back(static_cast<int>(i));
  std::string out = "{\"kind\":\"kicad\",\"files\":[" + files + "],\"sheets\":[";
  std::vector<std::string_view> references;
  std::vector<int> unitNumbers;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const KicadSheetInstance& sheet = sheets[i];
    if (i > 0) out += ",\n";
    out += "{\"name\":";
    appendJsonString(out, sheet.name);
    out += ",\"path\":";
    appendJsonString(out, sheet.namePath);
    out += ",\"page\":";
    appendJsonString(out, sheet.page);
    out += ",\"parent\":" + std::to_string(sheet.parent);
    out += ",\"file\":" + std::to_string(fileIndex[sheet.schematic]);
    // The reference and unit of each symbol of the file in this instance.
    const size_t symbols = sheet.schematic != nullptr ? sheet.schematic->symbols().size() : 0;
    references.assign(symbols, std::string_view());
    unitNumbers.assign(symbols, 1);
    for (uint32_t u = sheet.firstUnit; u < sheet.firstUnit + sheet.unitCount && u < units.size(); ++u) {
      if (units[u].symbol >= symbols) continue;
      references[units[u].symbol] = units[u].reference;
      unitNumbers[units[u].symbol] = units[u].unit;
    }
    out += ",\"refs\":[";
    for (size_t r = 0; r < symbols; ++r) {
      if (r > 0) out += ',';
      appendJsonString(out, references[r]);
    }
    // Units by letter, for the symbols of parts of several units.
    out += "],\"units\":[";
    for (size_t u = 0; u < symbols; ++u) {
      if (u > 0) out += ',';
      appendJsonString(out, kicadUnitLetters(unitNumbers[u]));
    }
    out += "],\"blocks\":[";
    const size_t blockCount = sheet.schematic != nullptr ? sheet.schematic->sheets().size() : 0;
    for (size_t b = 0; b < blockCount; ++b) {
      if (b > 0) out += ',';
      out += std::to_string(b < blocks[i].size() ? blocks[i][b] : -1);
    }
    out += "]}";
  }
  out += "]}";
  return out;
}

}  // namespace comptab
