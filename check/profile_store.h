// A profile store: a folder whose immediate subfolders are profiles, as
// profile managers keep them. vantrel-check --profiles checks them all.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantrel {

struct StoreProfile {
  std::wstring name;          // the folder's name in the store, as listed
  platform::FilePath folder;  // the store's path and that name: "x." is never the "x" beside it
};

// The immediate subfolders of `store` that are profiles (they hold a
// "command-line.json" or "Local State" file or a "Default" folder), in name
// order (UTF-16 code units): also those without an overlay of their own, which
// start with the global one. Links are not followed: a profile someone else
// wrote cannot send the check elsewhere.
std::vector<StoreProfile> store_profiles(const platform::FilePath& store);

// What the summary of a store needs to know of one profile.
struct StoreResult {
  std::string name;  // the folder's name
  bool probe_failed = false;
  bool mismatch = false;
  std::size_t problems = 0;
};

// "N profiles checked: ..." (one line, no line break) with the names of the profiles whose probe failed,
// that contradict their egress, and that have problems.
std::string store_summary_text(const std::vector<StoreResult>& results);

// The store's exit code, with one profile's precedence (check_exit): 3 when
// a probe failed, else 4 when a profile contradicts its egress, else 5 when
// one has a problem and `strict`, else 0.
int store_exit_code(const std::vector<StoreResult>& results, bool strict);

}  // namespace vantrel
