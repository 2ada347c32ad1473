#include "discovery/country_language.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(CountryLanguage, ExactCodesElseEnglish) {
  EXPECT_EQ(lookup_country_language("BE").accept_language, "fr-BE,fr;q=0.9,nl;q=0.8,en;q=0.7");
  for (const std::string& other : std::vector<std::string>{"be", "BE ", "LU", "", std::string("BE\0", 3)}) {
    EXPECT_EQ(lookup_country_language(other).accept_language, "en-US,en;q=0.9") << other;
  }
}

}  // namespace
}  // namespace vantrel
