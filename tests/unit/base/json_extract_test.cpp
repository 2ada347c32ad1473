#include "base/json_extract.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vantrel {
namespace {

struct FieldCase {
  const char* name;
  std::string text;
  std::string key;
  std::string expected;
};

TEST(ExtractStringField, Table) {
  const std::vector<FieldCase> cases = {
      {"plain", R"({"start-page":"https://a.example/"})", "start-page", "https://a.example/"},
      {"escaped slash and quote", R"({"start-page":"https:\/\/x.example\/?q=\"hi\""})", "start-page",
       "https://x.example/?q=\"hi\""},
      {"unicode escape kept", R"({"k":"caf\u00e9"})", "k", "caf\\u00e9"},
      {"unknown escape kept", R"({"k":"a\qb"})", "k", "a\\qb"},
      {"simple escapes", R"({"k":"\b\f\n\r\t\\"})", "k", "\b\f\n\r\t\\"},
      {"null then string", R"({"proxy-server":null,"x":{"proxy-server":"socks5://h:1"}})", "proxy-server",
       "socks5://h:1"},
      {"never a string", R"({"proxy-server":null,"b":{"proxy-server":12}})", "proxy-server", ""},
      {"dashed name is another key", R"({"--proxy-server":"socks5://h:1"})", "proxy-server", ""},
      {"spaces around colon", "{\"k\" \t\r\n:\n \"v\"}", "k", "v"},
      {"empty value", R"({"k":""})", "k", ""},
      {"raw line break inside", "{\"k\":\"a\nb\"}", "k", "a\nb"},
      {"backslash before line break fails that occurrence", "{\"k\":\"a\\\nb\",\"k\":\"second\"}", "k", "second"},
      {"unterminated", R"({"k":"abc)", "k", ""},
      {"trailing backslash", "{\"k\":\"abc\\", "k", ""},
      {"no colon", R"({"k" "v"})", "k", ""},
      {"escaped key inside a value is no key", R"({"a":"\"k\":\"x\""})", "k", ""},
      {"nested anywhere", R"({"a":{"b":[{"k":"deep"}]}})", "k", "deep"},
      {"utf8 and nul bytes", std::string("{\"k\":\"\xC3\xA9\0x\"}", 12), "k", std::string("\xC3\xA9\0x", 4)},
      {"escaped quote pairs", R"({"k":"a\\"})", "k", "a\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(extract_string_field(c.text, c.key), c.expected) << c.name << ": " << c.text;
  }
}

TEST(ExtractScalarField, Table) {
  const std::vector<FieldCase> cases = {
      {"bare true", R"({"webrtc-no-leak":true})", "webrtc-no-leak", "true"},
      {"quoted true", R"({"webrtc-no-leak":"true"})", "webrtc-no-leak", "true"},
      {"number before brace", R"({"x":12.5})", "x", "12.5"},
      {"quoted up to escaped quote", R"({"x":"ab\"cd"})", "x", "ab\\"},
      {"token stops at comma", R"({"x":1,"y":2})", "x", "1"},
      {"token stops at bracket", R"({"x":[1]})", "x", "[1"},
      {"empty after colon", R"({"x":,"x":7})", "x", "7"},
      {"unclosed quote takes the token", R"({"x": "abc)", "x", "\"abc"},
      {"object opens a token", R"({"x":{"a":1}})", "x", "{\"a\":1"},
      {"nothing after colon", R"({"x":)", "x", ""},
      {"null", R"({"x":null})", "x", "null"},
      {"quoted spans lines", "{\"x\":\"a\nb\"}", "x", "a\nb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(extract_scalar_field(c.text, c.key), c.expected) << c.name << ": " << c.text;
  }
}

TEST(HasField, PresenceAnywhere) {
  EXPECT_TRUE(has_field(R"({"a":{"lang":null}})", "lang"));
  EXPECT_FALSE(has_field(R"({"auto-lang":true})", "lang"));
  EXPECT_FALSE(has_field(R"({"--lang":"de"})", "lang"));
  EXPECT_TRUE(has_field("{\"lang\"  \n:", "lang"));
  EXPECT_FALSE(has_field(R"({"lang" "x"})", "lang"));
  EXPECT_TRUE(has_field(R"(["lang" , "lang":0])", "lang"));
}

TEST(ExtractBoolObject, MembersAndQuirks) {
  using Map = std::map<std::string, bool>;
  EXPECT_EQ(extract_bool_object(
                R"({"granular-storage-reset":{"cookies":true,"local-storage":true,"websql":"true","indexeddb":false,"cookies":false}})",
                "granular-storage-reset"),
            (Map{{"cookies", false}, {"indexeddb", false}}));
  // A nested object cuts the body at its own closing brace: its members
  // count, the outer ones after it do not.
  EXPECT_EQ(extract_bool_object(R"({"g":{"a":true,"inner":{"b":true},"c":true}})", "g"),
            (Map{{"a", true}, {"b", true}}));
  EXPECT_EQ(extract_bool_object(R"({"g":{"a":truex,"_b2":false}})", "g"), (Map{{"a", true}, {"_b2", false}}));
  EXPECT_EQ(extract_bool_object(R"({"g":{"1a":true,"a":1}})", "g"), Map{});
  EXPECT_EQ(extract_bool_object(R"({"g":{"a":true)", "g"), Map{});
  EXPECT_EQ(extract_bool_object(R"({"g":[1],"x":{"g":{"z":true}}})", "g"), (Map{{"z", true}}));
  EXPECT_EQ(extract_bool_object(R"({"g":{}})", "g"), Map{});
}

TEST(ExtractSwitchProxy, BraceAware) {
  EXPECT_EQ(extract_switch_proxy(
                R"({"chrome-command-line":{"--note":"a } and { b","--proxy-server":"socks5://u:p@h:1"}})"),
            "socks5://u:p@h:1");
  EXPECT_EQ(extract_switch_proxy(R"({"chrome-command-line":{"--proxy-server":"socks5://h:1")"), "");
  EXPECT_EQ(extract_switch_proxy(R"({"--proxy-server":"socks5://h:1"})"), "");
  EXPECT_EQ(extract_switch_proxy(R"({"chrome-command-line":{"x":{"y":"}"}},"--proxy-server":"out"})"), "");
  // Only the first object counts.
  EXPECT_EQ(extract_switch_proxy(
                R"({"chrome-command-line":{"--a":1},"chrome-command-line":{"--proxy-server":"x"}})"),
            "");
  EXPECT_EQ(extract_switch_proxy(R"({"chrome-command-line":{"--s":"a\"}","--proxy-server":"p"}})"), "p");
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
  EXPECT_EQ(members_of(R"({"a":true)"), (M{{"a", "true"}}));
  EXPECT_EQ(members_of(R"({"a")"), M{});
}

TEST(IsEnabledValue, Table) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},       {"null", false},    {"false", false},  {"0", false},     {"\"\"", false},
      {"\"off\"", false}, {"\"No\"", false},  {"\"FALSE\"", false}, {"\"0\"", false},
      {"true", true},    {"1", true},        {"off", true},     {"no", true},     {"False", true},
      {"\"yes\"", true}, {"\"", true},       {"{}", true},      {"\"abc", true},  {"2", true},
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
