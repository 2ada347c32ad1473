#include "base/json_extract.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vantrel {
namespace {

// The pattern readers are compared with the literal patterns on random text
// (json_extract_differential_test); these are the long and unusual shapes
// random text seldom builds.
TEST(PatternReaders, Shapes) {
  EXPECT_EQ(extract_string_field(R"({"start-page":"https:\/\/x\/?q=\"hi\" \u00e9 \q"})", "start-page"),
            "https://x/?q=\"hi\" \\u00e9 \\q");
  EXPECT_EQ(extract_string_field("{\"k\":\"a\\\nb\",\"k\":\"second\"}", "k"), "second");
  const std::string value(100000, 'v');
  EXPECT_EQ(extract_string_field("{\"k\":\"" + value + "\"}", "k"), value);
  EXPECT_EQ(extract_scalar_field(R"({"x":"ab\"cd"})", "x"), "ab\\");
  EXPECT_EQ(extract_bool_object(R"({"g":{"a":true,"inner":{"b":true},"c":true}})", "g"),
            (std::map<std::string, bool>{{"a", true}, {"b", true}}));
  EXPECT_EQ(extract_switch_proxy(R"({"chrome-command-line":{"--s":"a\"}{","--proxy-server":"p"}})", "chrome-command-line"), "p");
}

std::vector<std::pair<std::string, std::string>> members_of(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  for_each_member(text, [&](const std::string& k, const std::string& v) { out.emplace_back(k, v); });
  return out;
}

TEST(ForEachMember, Tolerant) {
  using M = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(members_of(R"({"a":1 "b" "x" "c":[{"d":[1]},"]"] "e":})"),
            (M{{"a", "1"}, {"b", "\"x\""}, {"c", R"([{"d":[1]},"]"])"}, {"e", ""}}));
  EXPECT_EQ(members_of(R"("{not this" {"k\"q":"v\"w","n":{"x":"}"}})"),
            (M{{"k\\\"q", "\"v\\\"w\""}, {"n", R"({"x":"}"})"}}));
  EXPECT_EQ(members_of("{\"a\"::: \t1,,,\"b\":2}"), (M{{"a", "1"}, {"b", "2"}}));
  EXPECT_EQ(members_of(R"({"a":1, x "b":2})"), (M{{"a", "1"}}));
  EXPECT_EQ(members_of(R"({"a":"unterminated)"), M{});
  EXPECT_EQ(members_of(R"({"a":[1,2)"), M{});
  EXPECT_EQ(members_of("{"), M{});
  EXPECT_EQ(members_of("no object"), M{});
  EXPECT_EQ(members_of("\"x\" {\"k"), M{});   // an unterminated key
  EXPECT_EQ(members_of("\"{\"a\":1"), M{});  // a string that never closes before any '{'
  EXPECT_EQ(members_of("\"\" {\"a\":1}"), (M{{"a", "1"}}));

  EXPECT_EQ(members_of(R"({"a":true)"), (M{{"a", "true"}}));
  EXPECT_EQ(members_of(R"({"a")"), M{});
}

TEST(IsEnabledValue, Table) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},       {"null", false},    {"false", false},  {"0", false},     {"\"\"", false},
      {"\"off\"", false}, {"\"No\"", false},  {"\"FALSE\"", false}, {"\"0\"", false},
      {"true", true},    {"1", true},        {"off", true},     {"no", true},     {"False", true},
      {"\"yes\"", true}, {"\"", true},       {"{}", true},      {"\"abc", true},  {"2", true}, {"xno\"", true},
  };
  for (const auto& [raw, expected] : cases) EXPECT_EQ(is_enabled_value(raw), expected) << raw;
}

TEST(UnescapeJsonString, BackslashRules) {
  EXPECT_EQ(unescape_json_string(R"(a\"b\/c\\d)"), "a\"b/c\\d");
  EXPECT_EQ(unescape_json_string(R"(\u0041)"), "\\u0041");
  EXPECT_EQ(unescape_json_string("x\\"), "x\\");
  // An unknown escape copies the backslash; the next byte is then ordinary.
  EXPECT_EQ(unescape_json_string(R"(\q\n)"), "\\q\n");
  EXPECT_EQ(unescape_json_string(R"(\\n)"), "\\n");
}

}  // namespace
}  // namespace vantrel
