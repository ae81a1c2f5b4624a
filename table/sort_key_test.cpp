#include "table/sort_key.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/support/name_order.h"
#include "table/value_order.h"

namespace comptab {
namespace {

int sign(int c) { return (c > 0) - (c < 0); }

std::string nameKey(std::string_view name) {
  std::string key;
  appendNameKey(key, name);
  return key;
}

std::string electricalKey(std::string_view text) {
  std::string key;
  appendElectricalKey(key, text, electricalValue(text));
  return key;
}

// Texts made to hit the edges of the name order: runs of digits with and
// without leading zeros (some longer than a digit count fits in one byte),
// letters in both cases, bytes around the ones the keys use as markers,
// UTF-8 sequences, and electrical values.
std::vector<std::string> adversarialTexts() {
  std::vector<std::string> texts = {"",         "0",        "00",  "000", "1",    "01",        "10",
                                    "9",        "R1",       "r1",  "R01", "R001", "R10",       "R2",
                                    "R1A",      "R1a",      "R1 ", "R 1", "R",    "r",         "RR",
                                    "Rr",       "C1",       "c10", "4k7", "4.7k", "4K7",       "10k",
                                    "10K",      "100n",     "0R1", "1R",  "1u",   "1\xC2\xB5", "2.2 k\xCE\xA9",
                                    "LM358",    "_",        "[",   "`",   "a-1",  "a_1",       "a.1",
                                    "\xC3\xA9", "\xC3\x89", "E",   "e"};
  texts.push_back(std::string(1, '\0'));
  texts.push_back(std::string("R\0", 2));
  texts.push_back(
      std::string("R\0"
                  "1",
                  3));
  texts.push_back(std::string("\x01\x02\x03", 3));
  texts.push_back("\x02");
  texts.push_back("\xFF");
  texts.push_back("\xFF\xFF");
  texts.push_back(std::string(300, '7'));
  texts.push_back("0" + std::string(300, '7'));
  texts.push_back(std::string(300, '7') + "8");
  texts.push_back(std::string(254, '9'));
  texts.push_back("1" + std::string(254, '0'));
  texts.push_back(std::string(255, '9'));
  return texts;
}

std::vector<std::string> randomTexts(size_t count) {
  // Few distinct characters, so that long common runs and ties are common.
  const std::string alphabet = std::string("0019aAbB.-\xC3\xA9 ") + '\0' + '\x01' + '\x02' + '\xFF';
  std::mt19937 random(12345);
  std::vector<std::string> texts;
  for (size_t i = 0; i < count; ++i) {
    const size_t length = random() % 9;
    std::string text;
    for (size_t j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
    // Now and then a long digit run.
    if (random() % 16 == 0) text += std::string(random() % 600, static_cast<char>('0' + random() % 10));
    texts.push_back(text);
  }
  return texts;
}

TEST(SortKey, NameKeysOrderAsNames) {
  std::vector<std::string> texts = adversarialTexts();
  const std::vector<std::string> random = randomTexts(600);
  texts.insert(texts.end(), random.begin(), random.end());
  for (const std::string& a : texts) {
    const std::string ka = nameKey(a);
    for (const std::string& b : texts) {
      const std::string kb = nameKey(b);
      ASSERT_EQ(sign(compareKeys(ka, kb)), sign(compareNames(a, b))) << '"' << a << "\" against \"" << b << '"';
    }
  }
}

TEST(SortKey, ElectricalKeysOrderAsValues) {
  std::vector<std::string> texts = adversarialTexts();
  for (const char* value : {"4k7",   "4.7k", "4700", "4700R", "4K7", "0.1", "0R1", "100m", ".1",   "1.",  "1e3", "2n2",
                            "2200p", "1M",   "1G",   "1T",    "1m",  "0",   "0.0", "00",   "10 k", "1 F", "1H"})
    texts.emplace_back(value);
  for (const std::string& a : texts)
    for (const std::string& b : texts)
      ASSERT_EQ(sign(compareKeys(electricalKey(a), electricalKey(b))), sign(compareElectrical(a, b)))
          << '"' << a << "\" against \"" << b << '"';
}

// Rows are keyed by several values written one after another; that only
// works when no key is a proper prefix of another.
TEST(SortKey, KeysWrittenInARowCompareKeyByKey) {
  const std::vector<std::string> texts = adversarialTexts();
  for (const std::string& a1 : texts)
    for (const std::string& b1 : texts) {
      const int first = sign(compareNames(a1, b1));
      for (const char* a2 : {"", "1", "a"})
        for (const char* b2 : {"", "1", "a"}) {
          const int expected = first != 0 ? first : sign(compareNames(a2, b2));
          ASSERT_EQ(sign(compareKeys(nameKey(a1) + nameKey(a2), nameKey(b1) + nameKey(b2))), expected)
              << '"' << a1 << "\" \"" << a2 << "\" against \"" << b1 << "\" \"" << b2 << '"';
        }
    }
}

}  // namespace
}  // namespace comptab
