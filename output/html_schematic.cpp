#include "output/html_schematic.h"

#include <unordered_map>

#include "output/json_text.h"
#include "platform/kicad/kicad_drawing.h"
#include "platform/kicad/kicad_project.h"
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

std::string kicadSchematicJson(const KicadProject& project) {
  const std::vector<KicadProject::DrawnSheet>& sheets = project.drawnSheets();
  std::unordered_map<const KicadSchematic*, size_t> fileIndex;
  std::string files;
  for (const KicadProject::DrawnSheet& sheet : sheets) {
    if (!fileIndex.emplace(sheet.file, fileIndex.size()).second) continue;
    if (!files.empty()) files += ",\n";
    appendFile(files, *sheet.file);
  }
  std::string out = "{\"kind\":\"kicad\",\"files\":[" + files + "],\"sheets\":[";
  for (size_t i = 0; i < sheets.size(); ++i) {
    const KicadProject::DrawnSheet& sheet = sheets[i];
    if (i > 0) out += ",\n";
    out += "{\"name\":";
    appendJsonString(out, sheet.name);
    out += ",\"path\":";
    appendJsonString(out, sheet.path);
    out += ",\"page\":";
    appendJsonString(out, sheet.page);
    out += ",\"parent\":" + std::to_string(sheet.parent);
    out += ",\"file\":" + std::to_string(fileIndex[sheet.file]);
    out += ",\"refs\":[";
    for (size_t r = 0; r < sheet.references.size(); ++r) {
      if (r > 0) out += ',';
      appendJsonString(out, sheet.references[r]);
    }
    // Units by letter, for the symbols of parts of several units.
    out += "],\"units\":[";
    for (size_t u = 0; u < sheet.units.size(); ++u) {
      if (u > 0) out += ',';
      appendJsonString(out, kicadUnitLetters(sheet.units[u]));
    }
    out += "],\"blocks\":[";
    for (size_t b = 0; b < sheet.blocks.size(); ++b) {
      if (b > 0) out += ',';
      out += std::to_string(sheet.blocks[b]);
    }
    out += "]}";
  }
  out += "]}";
  return out;
}

}  // namespace comptab
