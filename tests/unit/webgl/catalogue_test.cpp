#include "webgl/catalogue.h"

#include <gtest/gtest.h>


namespace vantrel {
namespace {

std::wstring render(const std::string& catalogue, const std::string& name) {
  return render_webgl_switches(parse_webgl_profile(catalogue, name));
}

TEST(WebglCatalogue, Table) {
  struct Case {
    const char* name;
    std::string catalogue;
    std::string profile;
    std::wstring expected;
  };
  const Case cases[] = {
      {"sorted, underscore dropped, number raw", R"({"p1":{"b":"2","a":1,"_note":"x"}})", "p1", L"--a=1 --b=2"},
      {"escaped quotes decoded, blanks kept", R"j({"p":{"v":"ANGLE (\"X\" Y)"}})j", "p", L"--v=ANGLE (\"X\" Y)"},
      {"duplicate keeps later", R"({"p":{"a":"1","a":"2"}})", "p", L"--a=2"},
      {"case-sensitive name", R"({"p1":{"a":1}})", "P1", L""},
      {"first quoted occurrence wins", R"({"default":"p1","p2":{"x":1},"p1":{"a":1}})", "p1", L"--x=1"},
      {"braces in strings", R"({"p":{"s":"{{","t":"}"}})", "p", L"--s={{ --t=}"},
      {"truncated", R"({"p":{"a":1)", "p", L""},
      {"not followed by an object", R"(["p"])", "p", L""},
      {"empty profile name", R"({"":{"a":1}})", "", L""},
      {"empty name skipped", R"({"p":{"":1,"b":true}})", "p", L"--b=true"},
      {"a name ends at the next quote, backslash or not", R"({"p":{"a\"b":1}})", "p", L"--a\\=b\":1"},
  };
  for (const auto& c : cases) EXPECT_EQ(render(c.catalogue, c.profile), c.expected) << c.name;
}

}  // namespace
}  // namespace vantrel
