// The interactive page of a run (docs/html.md): the tables gathered as the
// run makes them, then one file with the design's drawing.
#include "app/app.h"
#include "design/placement.h"
#include "output/html_page.h"
#include "output/html_schematic.h"
#include "output/reference_list.h"
#include "platform/kicad/kicad_project.h"
#include "platform/sheet/variants.h"
#include "platform/support/output_stream.h"
#include "platform/support/path.h"
#include "settings/run_mode.h"
#include "table/record_table.h"

namespace comptab {

bool App::writesPage() const { return formatOption.value_or(options_.settings.tableFormat) == TableFormat::Html; }

namespace {

// The design's name: a sheet or project file's, or a circuit's folder's.
std::string designName(const std::string& file, const std::string& folder) {
  return baseName(file.empty() ? folder : file);
}

}  // namespace

int App::addPageTable(const TableWriter& writer, const std::string* item, const RecordTable& table) {
  const Settings& settings = options_.settings;
  if (!page_)
    page_ = std::make_unique<HtmlPage>(designName(options_.designFile, options_.designDir), settings.emptyCell);
  std::vector<std::string> titles;
  writer.titles(titles);
  page_->beginTable(item != nullptr ? *item : kBoardDestination, titles);
  std::vector<std::string_view> cells;
  std::vector<std::string> references;
  const std::string_view rangeChar = settings.referenceRanges ? std::string_view(settings.rangeChar) : "";
  const NameId reference = internName("reference");
  for (int r = 0; r < table.count(); ++r) {
    const ComponentRecord& row = table[r];
    writer.cellTexts(row, cells);
    references.clear();
    if (const PropertyText text = row.value(reference)) splitReferences(*text, settings.token, rangeChar, references);
    page_->addRow(cells, references);
  }
  return 1;
}

// The sheet of `where` on the page, added when first met; its id.
std::string_view App::pageSheet(const Placement& where) {
  const SheetTexts& texts = *where.texts;
  const std::string_view path = texts.inCircuit ? texts.hierarchicalIdPrefix : texts.sheetNumber;
  if (places_->knows(path)) return path;
  PageZone zone;
  const bool hasZone = where.zone.isValid();
  if (hasZone) {
    zone.offset = where.zone.offset();
    zone.pitch = where.zone.pitch();
    zone.firstColumn = std::string(where.zone.charX());
    zone.firstRow = std::string(where.zone.charY());
    zone.rowFirst = where.zone.rowFirst();
  }
  const std::string name = texts.inCircuit ? "sheet " + texts.sheetNumber : texts.sheetNumber;
  places_->addSheet(path, name, where.sheet.region(), hasZone ? &zone : nullptr);
  return path;
}

void App::recordPlace(const Placement& where, const ComponentRef& component) {
  if (where.texts == nullptr) return;
  const PropertyRef reference = component.property("reference");
  places_->addPart(pageSheet(where), reference.isValid() ? reference.value() : std::string_view(),
                   component.position());
}

void App::noteBlock(const Placement& where, const ComponentRef& component) {
  if (!recordingPlaces_ || where.texts == nullptr || !where.texts->inCircuit) return;
  const PropertyRef reference = component.property("reference");
  places_->addBlock(pageSheet(where), component.number(),
                    reference.isValid() ? reference.value() : component.symbolName(), component.position());
}

int App::writePage() {
  if (!page_)
    page_ =
        std::make_unique<HtmlPage>(designName(options_.designFile, options_.designDir), options_.settings.emptyCell);
  if (const KicadProject* project = kicadProject(); project != nullptr && project->design() != nullptr)
    page_->setSchematic(kicadSchematicJson(*project->design()));
  else if (places_ && !places_->empty())
    page_->setSchematic(places_->json());
  OutputStream out;
  std::string reason;
  if (options_.outputPath) {
    if (!out.open(*options_.outputPath, false, &reason, !options_.outputInDesign)) {
      reportOutputFailure(&*options_.outputPath, reason);
      return 0;
    }
  } else {
    out = OutputStream::standardOutput();
  }
  page_->write(out);
  if (!out.close(&reason)) {
    reportOutputFailure(options_.outputPath ? &*options_.outputPath : nullptr, reason);
    return 0;
  }
  return 1;
}

}  // namespace comptab
