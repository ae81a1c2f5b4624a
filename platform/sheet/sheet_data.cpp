#include "platform/sheet/sheet_data.h"

#include <cstring>
#include <deque>
#include <mutex>

namespace comptab {

namespace {

// The views of long texts (PropertyData), for the whole run: a few at most
// in a real design, so never given back. The texts themselves stay where
// their sheet keeps them.
std::mutex longTextsMutex;
std::deque<std::string_view>& longTexts() {
  static std::deque<std::string_view> texts;
  return texts;
}

}  // namespace

uint64_t PropertyData::packLong(std::string_view text) {
  const std::lock_guard<std::mutex> lock(longTextsMutex);
  std::deque<std::string_view>& texts = longTexts();
  texts.push_back(text);
  return static_cast<uint64_t>(texts.size() - 1) | (kLong << kSizeShift);
}

std::string_view PropertyData::unpackLong(uint64_t index) {
  const std::lock_guard<std::mutex> lock(longTextsMutex);
  return longTexts()[static_cast<size_t>(index)];
}


void TextStore::reserve(size_t bytes) {
  // Not value-initialised: pages that no text reaches are never touched.
  buffer_.reset(new char[bytes > 0 ? bytes : 1]);
  capacity_ = bytes;
  used_ = 0;
}

std::string_view TextStore::add(std::string_view text) {
  if (text.empty()) return {};
  if (capacity_ - used_ < text.size()) return addLater(text);  // the reader sized the buffer; never expected
  char* place = buffer_.get() + used_;
  std::memcpy(place, text.data(), text.size());
  used_ += text.size();
  return {place, text.size()};
}

std::string_view TextStore::addName(std::string_view text) {
  if (const auto found = names_.find(text); found != names_.end()) return *found;
  const std::string_view stored = add(text);
  names_.insert(stored);
  return stored;
}

std::string_view TextStore::addLater(std::string_view text) {
  if (text.empty()) return {};
  return later_.emplace_back(text);
}

// By the entries in use: room reserved and never used is never touched, so
// takes no memory.
size_t SheetData::bytes() const {
  return sizeof(SheetData) + texts.bytesUsed() + components.size() * sizeof(ComponentData) +
         byNumber.size() * sizeof(byNumber[0]) + pins.size() * sizeof(PinData) +
         properties.size() * sizeof(PropertyData);
}

std::unique_ptr<SheetData> workingCopy(std::shared_ptr<const SheetData> base, std::unique_ptr<SheetData> room) {
  auto copy = std::make_unique<SheetData>();
  // A circuit opens a working copy for every instance of a sheet: reusing
  // the arrays of the last one saves allocating and touching them afresh.
  if (room) {
    copy->components = std::move(room->components);
    copy->byNumber = std::move(room->byNumber);
    copy->pins = std::move(room->pins);
    copy->properties = std::move(room->properties);
  }
  copy->fileName = base->fileName;
  copy->region = base->region;
  copy->placed = base->placed;
  copy->hasZone = base->hasZone;
  copy->zone = base->zone;
  copy->components.assign(base->components.begin(), base->components.end());
  copy->byNumber.assign(base->byNumber.begin(), base->byNumber.end());
  copy->pins.assign(base->pins.begin(), base->pins.end());
  copy->properties.assign(base->properties.begin(), base->properties.end());
  copy->base = std::move(base);
  return copy;
}

}  // namespace comptab
