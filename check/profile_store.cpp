#include "check/profile_store.h"

#include <algorithm>

#include "check/check_report.h"
#include "platform/platform.h"

namespace vantrel {

std::vector<StoreProfile> store_profiles(const platform::FilePath& store) {
  std::vector<StoreProfile> profiles;
  using platform::EntryKind;
  for (const platform::FolderEntry& e : platform::folder_entries(store)) {
    const platform::FilePath profile = store.child(e.name);
    if (e.kind == EntryKind::folder && (platform::entry_kind(profile.child(L"command-line.json")) == EntryKind::file ||
                                        platform::entry_kind(profile.child(L"Local State")) == EntryKind::file ||
                                        platform::entry_kind(profile.child(L"Default")) == EntryKind::folder)) {
      profiles.push_back({e.name, profile});
    }
  }
  std::sort(profiles.begin(), profiles.end(),
            [](const StoreProfile& a, const StoreProfile& b) { return a.name < b.name; });
  return profiles;
}

namespace {

// "N <label>" and, when N > 0, the names in parentheses.
std::string counted(const std::vector<StoreResult>& results, const std::function<bool(const StoreResult&)>& which,
                    const char* label) {
  std::string names;
  std::size_t n = 0;
  for (const StoreResult& r : results) {
    if (which(r)) names += (n++ ? ", " : "") + r.name;
  }
  return std::to_string(n) + " " + label + (n ? " (" + names + ")" : "");
}

}  // namespace

std::string store_summary_text(const std::vector<StoreResult>& results) {
  return std::to_string(results.size()) + (results.size() == 1 ? " profile" : " profiles") + " checked: " +
         counted(results, [](const StoreResult& r) { return r.probe_failed; }, "with a failed probe") + "; " +
         counted(results, [](const StoreResult& r) { return r.mismatch; }, "contradicting their proxy's egress") +
         "; " + counted(results, [](const StoreResult& r) { return r.problems > 0; }, "with problems");
}

int store_exit_code(const std::vector<StoreResult>& results, bool strict) {
  const auto any = [&results](bool StoreResult::*member) {
    return std::any_of(results.begin(), results.end(), [member](const StoreResult& r) { return r.*member; });
  };
  const bool problems =
      std::any_of(results.begin(), results.end(), [](const StoreResult& r) { return r.problems > 0; });
  return static_cast<int>(check_exit(any(&StoreResult::probe_failed), any(&StoreResult::mismatch), strict && problems));
}

}  // namespace vantrel
