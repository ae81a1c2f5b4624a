#include "platform/rsc/comp_kind.h"

#include "platform/rsc/rsc_file.h"
#include "platform/rsc/side_file_keys.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr int kMaxCode = 0xFFFF;
constexpr size_t kColumns = 3;

}  // namespace

std::unique_ptr<CompKindTable> CompKindTable::open(const std::string& path, int mode, std::string* reason) {
  const SideFileFailure fail(path, reason);
  if (mode != kReadOnly)
    return fail(strprintf("open mode %d is not supported (the table opens with mode %d, to read)", mode, kReadOnly));
  const std::optional<RscFile> file = openSideFile(path, fail);
  if (!file) return nullptr;

  std::unique_ptr<CompKindTable> table(new CompKindTable());
  if (const auto block = file->lookup("blockHeader")) {
    if (block->kind() != RscValue::Text) return fail("blockHeader must be a string, not " + describeValue(*block));
    table->blockHeader_ = *block->text();
  }

  const auto kinds = file->lookup("kinds");
  if (!kinds) return fail("kinds is missing");
  const RscTable* rows = kinds->table();
  if (rows == nullptr)
    return fail("kinds must be an array of [code, name, reference header] rows, not " + describeValue(*kinds));
  if (rows->rowCount() > 0 && rows->columnCount() != kColumns)
    return fail(strprintf("kinds rows must have %zu cells (code, name, reference header), not %zu", kColumns,
                          rows->columnCount()));

  table->kinds_.reserve(rows->rowCount());
  for (size_t row = 0; row < rows->rowCount(); ++row) {
    const RscValue& code = *rows->cell(row, 0);
    const RscValue& name = *rows->cell(row, 1);
    const RscValue& header = *rows->cell(row, 2);
    const std::string where = strprintf("kinds row %zu: ", row + 1);
    if (code.kind() != RscValue::Integer || code.integer() < 0 || code.integer() > kMaxCode)
      return fail(where + strprintf("the code must be an integer from 0 to %d, not ", kMaxCode) + describeValue(code));
    if (name.kind() != RscValue::Text || name.text()->empty())
      return fail(where + "the name must be a string that is not empty, not " + describeValue(name));
    if (header.kind() != RscValue::Text)
      return fail(where + "the reference header must be a string, not " + describeValue(header));

    const auto value = static_cast<uint16_t>(code.integer());
    const auto [at, added] = table->byCode_.emplace(value, table->kinds_.size());
    // A second entry is a mistake either way round, so neither silently wins.
    if (!added)
      return fail(where + strprintf("code %d is given again (first in row %zu)", code.integer(), at->second + 1));
    table->kinds_.push_back(CompKind{value, *name.text(), *header.text()});
  }
  return table;
}

const CompKind* CompKindTable::compKind(int code) const {
  if (code < 0 || code > kMaxCode) return nullptr;
  const auto at = byCode_.find(static_cast<uint16_t>(code));
  return at == byCode_.end() ? nullptr : &kinds_[at->second];
}

const std::string& CompKindTable::refHeader(int code, bool isBlock) const {
  if (isBlock && blockHeader_) return *blockHeader_;
  const CompKind* kind = compKind(code);
  return kind ? kind->refHeader : none_;
}

}  // namespace comptab
