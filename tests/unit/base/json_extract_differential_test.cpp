// The scanners against the literal patterns on random JSON-ish text. Set
// VANTREL_DIFF_ROUNDS for a longer run; tests/fuzz has a libFuzzer target
// doing the same comparison with coverage guidance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "base/json_extract.h"
#include "support/regex_reference.h"

namespace vantrel {
namespace {

// Text built from fragments that matter to the patterns.
std::string random_text(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "\"",  "\\",   ":",    " ",    "\n",   "\r",  "\t", "{",     "}",     "[",
      "]",   ",",    "k",    "\"k\"", "\"k\":", "true", "false", "a",   "1",     "-",
      "_",   std::string(1, '\0'), "\xC3", "\xA9", "\"k\" : \"", "\\\"", "\\\\", "\"chrome-command-line\":{",
      "\"--proxy-server\":\"", "\"ab_1\":", "x", "\v", "\f", "\"g\":{", "null", ".5",
  };
  std::uniform_int_distribution<std::size_t> count(0, 40);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::string out;
  const std::size_t n = count(rng);
  for (std::size_t i = 0; i < n; ++i) out += pieces[pick(rng)];
  return out;
}

TEST(JsonExtractDifferential, ScannersEqualThePatterns) {
  int rounds = 1500;
  if (const char* env = std::getenv("VANTREL_DIFF_ROUNDS")) rounds = std::atoi(env);
  std::mt19937 rng(20261206);
  for (int i = 0; i < rounds; ++i) {
    const std::string text = random_text(rng);
    for (const std::string key : {"k", "g"}) {
      std::size_t at = 0, reference_at = 0;
      const std::string shown = ::testing::PrintToString(text);
      ASSERT_EQ(extract_string_field(text, key, &at), reference::string_field(text, key, &reference_at)) << shown;
      ASSERT_EQ(at, reference_at) << shown;
      ASSERT_EQ(extract_scalar_field(text, key, &at), reference::scalar_field(text, key, &reference_at)) << shown;
      ASSERT_EQ(at, reference_at) << shown;
      const std::vector<std::size_t> positions = reference::key_positions(text, key);
      ASSERT_EQ(key_positions(text, key), positions) << shown;
      ASSERT_EQ(has_field(text, key), !positions.empty()) << shown;
      ASSERT_EQ(extract_bool_object(text, key), reference::bool_object(text, key)) << ::testing::PrintToString(text);
    }
    ASSERT_EQ(extract_switch_proxy(text, "chrome-command-line"), reference::switch_proxy(text)) << ::testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace vantrel
