// The compiled-in table from an egress country to the Engine's language and
// Accept-Language values.
#pragma once

#include <string>

namespace vantrel {

struct CountryLanguageRow {
  const char* country_code;     // ISO 3166-1 alpha-2, upper case
  const char* language_tag;     // for --lang
  const char* accept_language;  // for --accept-language
};

struct LanguagePair {
  std::string language_tag;
  std::string accept_language;
};

// The first row whose code equals `country_code` exactly (case-sensitive, no
// trimming); "en-US" / "en-US,en;q=0.9" when none does.
LanguagePair lookup_country_language(const std::string& country_code);

// The longest language tag and the longest Accept-Language value that
// lookup_country_language can give (each the longest of its own column).
LanguagePair longest_country_language();

// The primary language of a tag or of an Accept-Language list's first entry,
// in lower case: "de" for "de-DE" and for "de-DE,de;q=0.9".
std::string primary_language(const std::string& value);

}  // namespace vantrel
