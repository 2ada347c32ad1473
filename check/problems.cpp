#include "check/problems.h"

#include "base/json_extract.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_command_line.h"
#include "check/check_report.h"
#include "launcher/launch_plan.h"

namespace vantrel {

namespace {

bool looks_utf16(const std::string& text) {
  if (text.size() < 2) return false;
  const auto b0 = static_cast<unsigned char>(text[0]);
  const auto b1 = static_cast<unsigned char>(text[1]);
  return (b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF) || b0 == 0 || b1 == 0;
}

// Why the text holds no complete JSON object, or empty when it does.
std::string incomplete_reason(const std::string& text) {
  std::size_t open = 0;
  while (open < text.size() && is_json_space(text[open])) ++open;
  if (text.compare(open, 3, "\xEF\xBB\xBF") == 0) open += 3;  // a UTF-8 byte order mark
  if (open >= text.size()) return "the file holds no JSON object: every setting keeps its default";
  if (text[open] != '{') return "the file does not begin with a JSON object";
  if (find_matching_bracket(text, open, text.size()) == std::string::npos) {
    return "the JSON object never closes (an unclosed object or string): settings after the break may be lost "
           "or read from the wrong place";
  }
  return std::string();
}

// What vantrel.exe would do, in its own words (its box's text on one line).
std::string ending_message(Ending ending, const LaunchPlan& plan) {
  return "vantrel.exe would begin nothing and exit with " + std::to_string(ending_row(ending).exit_code) + ": " +
         blank_out_controls(wide_to_utf8(ending_text(ending, plan)));
}

}  // namespace

std::vector<Problem> check_problems(const CheckInputs& in) {
  std::vector<Problem> out;
  const LaunchPlan& plan = in.plan;
  const std::string& text = plan.overlay_text;
  const auto add = [&out](ProblemCode code, const std::string& setting, const std::string& message) {
    out.push_back({code, setting, message});
  };
  for (const Ending ending : endings_before_begin(plan)) {
    const ProblemCode code = ending_row(ending).problem;
    if (code != ProblemCode::command_line_too_long) add(code, "", ending_message(ending, plan));
  }
  if (!plan.profile.written.empty() && !plan.profile.ambiguous && plan.profile.folder.empty()) {
    add(ProblemCode::profile_not_a_folder, "",
        quoted(wide_to_utf8(plan.profile.written)) +
            " names a device, not a folder: the launcher reads, cleans and writes nothing there and starts as "
            "without a profile folder (the global overlay, the records in the application-data folder)");
  }
  if (plan.overlay_read() && looks_utf16(text)) {
    add(ProblemCode::overlay_not_utf8, "",
        "the overlay is UTF-16 text: the launcher reads UTF-8 and finds no setting, so every setting keeps its "
        "default; save it as UTF-8");
  } else if (plan.overlay_read()) {
    if (plan.overlay_not_utf8_at != std::string::npos) {
      add(ProblemCode::overlay_not_utf8, "",
          "the overlay is not UTF-8: the byte at offset " + std::to_string(plan.overlay_not_utf8_at) +
              " of the file begins no UTF-8 character (it was saved in another encoding, such as a Windows code "
              "page); the launcher reads the bytes as UTF-8, so values may break or change; save it as UTF-8");
    }
    if (!incomplete_reason(text).empty()) add(ProblemCode::overlay_incomplete, "", incomplete_reason(text));
  }
  for (const SettingRead& r : plan.readings) {
    const OverlaySetting& s = *r.setting;
    if (r.without_value) {
      add(ProblemCode::presence_without_value, s.key,
          quoted(s.key) + " is named with " + (r.raw == "null" ? "null" : "\"\"") +
              ": that still stops the value the launcher would add, and gives the Engine none");
    }
    if (r.escape_kept) {
      add(ProblemCode::unicode_escape_kept, s.key,
          "the launcher keeps \\u escapes as written, so " + quoted(r.string_read) +
              " is used literally; write the characters themselves (the file is UTF-8)");
    }
    if (s.reading == Reading::proxy) {
      const std::string scheme = proxy_scheme(r.string_read);
      if (!scheme.empty() && scheme != "socks5" &&
          (ascii_lower(scheme).compare(0, 6, "socks5") == 0 || edit_distance(ascii_lower(scheme), "socks5") <= 1)) {
        add(ProblemCode::proxy_scheme_not_socks5, s.key,
            quoted(scheme + "://") + " is not \"socks5://\" (exactly, lower case): the launcher runs no egress "
                                     "discovery through it");
      }
    }
    for (const NotRead& n : r.not_read) add(ProblemCode::storage_category_ignored, s.key, n.why);
  }
  if (!plan.overlay.webgl_profile.empty() && plan.webgl_switches.empty()) {
    add(ProblemCode::webgl_profile_not_found, "webgl-profile",
        "the catalogue beside the launcher (orlisk-webgl-profiles.json) has no usable profile " +
            quoted(plan.overlay.webgl_profile) + ": the Engine starts without WebGL switches");
  }
  if (plan.command_line_too_long) {
    add(ProblemCode::command_line_too_long, "", ending_message(Ending::command_line_too_long, plan));
  }
  for (const std::wstring& arg : plan.args.own) {
    const std::string option = misspelt_check_option(arg);
    if (!option.empty()) {
      add(ProblemCode::check_option_misspelt, "",
          quoted(wide_to_utf8(arg)) + " looks like vantrel-check's " + option +
              ", but it stands among the launcher's arguments and is passed on to the Engine");
    }
  }
  return out;
}

}  // namespace vantrel
