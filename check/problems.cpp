#include "check/problems.h"

#include "base/json_extract.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_command_line.h"
#include "check/check_report.h"
#include "launcher/engine_command_line.h"

namespace vantrel {

namespace {

bool hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool holds_unicode_escape(const std::string& s) {
  for (std::size_t i = 0; i + 6 <= s.size(); ++i) {
    if (s[i] == '\\' && s[i + 1] == 'u' && hex(s[i + 2]) && hex(s[i + 3]) && hex(s[i + 4]) && hex(s[i + 5])) {
      return true;
    }
  }
  return false;
}

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

}  // namespace

std::vector<Problem> check_problems(const CheckInputs& in) {
  std::vector<Problem> out;
  const std::string& text = in.plan.overlay_text;
  const PersonaOverlay& o = in.plan.overlay;
  const auto add = [&out](const char* code, const char* severity, const std::string& setting,
                          const std::string& message) { out.push_back({code, severity, setting, message}); };
  if (!in.engine_found) {
    add("engine_missing", "error", "",
        "the Engine, " + wide_to_utf8(in.engine_path) +
            ", is missing: vantrel.exe would show a message box and exit with 1; nothing would start");
  }
  const ProfileChoice& profile = in.plan.profile;
  if (profile.ambiguous) {
    add("profile_ambiguous", "error", "",
        "the Engine would read the arguments as naming " +
            (profile.engine_reads.empty() ? std::string("no profile folder (its default profile)")
                                          : quoted(wide_to_utf8(profile.engine_reads))) +
            ", the launcher " +
            (profile.written.empty() ? std::string("none") : quoted(wide_to_utf8(profile.written))) +
            ": vantrel.exe would read, clean and write nothing, start nothing and exit with 1; name the profile "
            "folder once, as --user-data-dir=<folder>");
  } else if (!profile.written.empty() && profile.folder.empty()) {
    add("profile_not_a_folder", "warning", "",
        quoted(wide_to_utf8(profile.written)) +
            " names a device, not a folder: the launcher reads, cleans and writes nothing there and starts as "
            "without a profile folder (the global overlay, the records in the application-data folder)");
  }
  if (in.plan.overlay_too_large) {
    add("overlay_too_large", "error", "",
        "the overlay is too large to read in this machine's memory: the launcher starts nothing (exit code 1)");
  }
  if (in.plan.overlay_read) {
    if (looks_utf16(text)) {
      add("overlay_not_utf8", "error", "",
          "the overlay is UTF-16 text: the launcher reads UTF-8 and finds no setting, so every setting keeps its "
          "default; save it as UTF-8");
    } else {
      if (in.plan.overlay_not_utf8_at != std::string::npos) {
        add("overlay_not_utf8", "error", "",
            "the overlay is not UTF-8: the byte at offset " + std::to_string(in.plan.overlay_not_utf8_at) +
                " of the file begins no UTF-8 character (it was saved in another encoding, such as a Windows code "
                "page); the launcher reads the bytes as UTF-8, so values may break or change; save it as UTF-8");
      }
      if (!incomplete_reason(text).empty()) add("overlay_incomplete", "error", "", incomplete_reason(text));
    }
  }
  for (const SettingRead& r : in.plan.readings) {
    const OverlaySetting& s = *r.setting;
    if (s.reading == Reading::presence && r.at != std::string::npos) {
      bool is_string = false;
      const std::string value = raw_value_text(r.raw, &is_string);
      if (value == "null" || (is_string && value.empty())) {
        add("presence_without_value", "warning", s.key,
            quoted(s.key) + " is named with " + (is_string ? "\"\"" : "null") +
                ": that still stops the value the launcher would add, and gives the Engine none");
      }
    }
    const std::string& read = r.string_read;
    if (holds_unicode_escape(read)) {
      add("unicode_escape_kept", "warning", s.key,
          "the launcher keeps \\u escapes as written, so " + quoted(read) +
              " is used literally; write the characters themselves (the file is UTF-8)");
    }
    if (s.reading == Reading::proxy) {
      const std::string scheme = proxy_scheme(read);
      if (!scheme.empty() && scheme != "socks5" &&
          (ascii_lower(scheme).compare(0, 6, "socks5") == 0 || edit_distance(ascii_lower(scheme), "socks5") <= 1)) {
        add("proxy_scheme_not_socks5", "warning", s.key,
            quoted(scheme + "://") + " is not \"socks5://\" (exactly, lower case): the launcher runs no egress "
                                     "discovery through it");
      }
    }
    if (s.reading == Reading::bool_object && r.at != std::string::npos) {
      for_each_member(raw_value_text(r.raw), [&](const std::string& name, const std::string& raw) {
        if (raw == "true" || raw == "false") return;
        add("storage_category_ignored", "warning", s.key,
            quoted(name) + " is set to " + raw + ", not true or false: the launcher ignores it");
      });
    }
  }
  if (!o.webgl_profile.empty() && in.plan.webgl_switches.empty()) {
    add("webgl_profile_not_found", "warning", "webgl-profile",
        "the catalogue beside the launcher (orlisk-webgl-profiles.json) has no usable profile " +
            quoted(o.webgl_profile) + ": the Engine starts without WebGL switches");
  }
  const std::size_t longest = longest_engine_command_line(in.engine_path, in.plan, in.host);
  if (exceeds_command_line_limit(longest)) {
    add("command_line_too_long", "error", "",
        "the Engine's command line would be " + std::to_string(longest) +
            " characters long; Windows allows at most 32,766: the launcher starts nothing (exit code 1); shorten the "
            "start page or the overlay's values");
  }
  for (const std::wstring& arg : in.plan.args.own) {
    const std::string option = misspelt_check_option(arg);
    if (!option.empty()) {
      add("check_option_misspelt", "warning", "",
          quoted(wide_to_utf8(arg)) + " looks like vantrel-check's " + option +
              ", but it stands among the launcher's arguments and is passed on to the Engine");
    }
  }
  return out;
}

}  // namespace vantrel
