#include "records/endings.h"

namespace vantrel {

const std::vector<ProblemRow>& problem_table() {
  using P = ProblemCode;
  constexpr Severity error = Severity::error, warning = Severity::warning;
  static const std::vector<ProblemRow> table = {
      {P::engine_missing, "engine_missing", error},
      {P::profile_ambiguous, "profile_ambiguous", error},
      {P::profile_not_a_folder, "profile_not_a_folder", warning},
      {P::overlay_too_large, "overlay_too_large", error},
      {P::overlay_unreadable, "overlay_unreadable", error},
      {P::overlay_not_utf8, "overlay_not_utf8", error},
      {P::overlay_incomplete, "overlay_incomplete", error},
      {P::presence_without_value, "presence_without_value", warning},
      {P::unicode_escape_kept, "unicode_escape_kept", warning},
      {P::proxy_scheme_not_socks5, "proxy_scheme_not_socks5", warning},
      {P::storage_category_ignored, "storage_category_ignored", warning},
      {P::webgl_profile_not_found, "webgl_profile_not_found", warning},
      {P::command_line_too_long, "command_line_too_long", error},
      {P::check_option_misspelt, "check_option_misspelt", warning},
  };
  return table;
}

const ProblemRow& problem_row(ProblemCode code) {
  for (const ProblemRow& row : problem_table()) {
    if (row.code == code) return row;
  }
  return problem_table().front();  // every code but none has a row
}

bool show_box(bool outcome_asked, bool outcome_written, bool visible_station) {
  return visible_station && !(outcome_asked && outcome_written);
}

const char* severity_text(Severity severity) { return severity == Severity::error ? "error" : "warning"; }

const std::vector<EndingRow>& ending_table() {
  using E = Ending;
  using P = ProblemCode;
  static const std::vector<EndingRow> table = {
      {E::started, "started", 0, false, P::none},
      {E::cancelled, "cancelled", 0, false, P::none},
      {E::blocked, "blocked", 42, false, P::none},
      {E::engine_missing, "engine_missing", 1, true, P::engine_missing},
      {E::engine_refused, "engine_refused", 1, true, P::none},
      {E::profile_ambiguous, "profile_ambiguous", 1, true, P::profile_ambiguous},
      {E::overlay_too_large, "overlay_too_large", 1, true, P::overlay_too_large},
      {E::overlay_unreadable, "overlay_unreadable", 1, true, P::overlay_unreadable},
      {E::command_line_too_long, "command_line_too_long", 1, true, P::command_line_too_long},
  };
  return table;
}

const EndingRow& ending_row(Ending ending) {
  for (const EndingRow& row : ending_table()) {
    if (row.ending == ending) return row;
  }
  return ending_table().front();  // every ending has a row
}

}  // namespace vantrel
