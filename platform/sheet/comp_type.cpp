#include "platform/sheet/comp_type.h"

#include "platform/support/text.h"

namespace comptab {

namespace {

// In code order, so that name() can index by code.
constexpr CompTypeEntry kTypes[] = {
    {CompType::Normal, "normal", "an ordinary symbol that stands for no part of its own"},
    {CompType::Parts, "parts", "a component that is one whole part"},
    {CompType::Gate, "gate", "one gate of a multi-gate part"},
    {CompType::PowerBox, "powerBox", "the symbol that carries a part's power pins"},
    {CompType::Block, "block", "instantiates a sheet in a circuit"},
    {CompType::Connector, "connector", "a connector"},
    {CompType::Power, "power", "a power symbol"},
    {CompType::Ground, "ground", "a ground symbol"},
    {CompType::SheetPort, "sheetPort", "a port that joins a sheet to the block above it"},
    {CompType::OffPage, "offPage", "an off-page connector"},
    {CompType::Mechanical, "mechanical", "a mechanical item: a screw, a heat sink, a board outline"},
    {CompType::TitleBlock, "titleBlock", "the sheet's title block"},
    {CompType::TestPoint, "testPoint", "a test point"},
    {CompType::Graphic, "graphic", "a drawing-only symbol"},
};

static_assert([] {
  for (size_t i = 0; i < std::size(kTypes); ++i)
    if (kTypes[i].code != i + 1) return false;
  return true;
}());

}  // namespace

std::string CompType::name(uint16_t code) {
  if (code >= 1 && code <= std::size(kTypes)) return kTypes[code - 1].name;
  return strprintf("type%u", static_cast<unsigned>(code));
}

std::optional<uint16_t> CompType::code(std::string_view name) {
  for (const CompTypeEntry& entry : kTypes)
    if (name == entry.name) return entry.code;
  return std::nullopt;
}

std::span<const CompTypeEntry> CompType::table() { return kTypes; }

}  // namespace comptab
