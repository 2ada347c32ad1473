// Profile hygiene before the Engine starts: removing the previous session's
// tabs and chosen kinds of stored site data from the Engine's profile.
// Every removal is silent, permanent and best effort, and stays inside the
// profile: every folder and file is acted on by handle, opened once relative
// to its folder by the name the listing gave and proven to be that entry
// before it is entered or deleted (platform/opened_entry.h). Links (and what
// cannot be proven to be itself) are left in place with the folders that hold
// them, so what they point to is never touched; the profile folder itself may
// be a link.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantrel {

// One thing to remove below the profile folder: a single file, or a file or
// folder with everything beneath it.
struct Removal {
  enum class Kind { file, tree };
  std::wstring names;  // the names from the profile folder down, joined by backslashes: "Default\Sessions"
  Kind kind;

  bool operator==(const Removal& other) const { return names == other.names && kind == other.kind; }
};

// What clear_previous_tabs removes, in order.
std::vector<Removal> previous_tabs_removals();

// What reset_granular_storage removes for the selected categories, in order;
// nothing when the selection is empty or selects nothing.
std::vector<Removal> granular_storage_removals(const std::map<std::string, bool>& selection);

// The storage category names "granular-storage-reset" acts on, in the order
// they are processed ("all" not included).
std::vector<std::string> storage_category_names();

// Whether an overlay with these settings asks for any cleaning (its
// categories may still select nothing).
bool cleaning_asked(bool close_previous_tabs, const std::map<std::string, bool>& selection);

// The names in `selection` that select nothing: neither a storage category
// nor "all" (names are exact and case-sensitive).
std::vector<std::string> names_selecting_nothing(const std::map<std::string, bool>& selection);

// Whether "all" is true beside other members: it selects every category,
// also one set to false.
bool all_overrides_others(const std::map<std::string, bool>& selection);

// A test's hands between the listing of a folder and the opening of its
// entries, so that a test can swap an entry for a link there for certain;
// the programs pass none.
using AfterListing = std::function<void(const platform::FilePath& folder)>;

// What carrying out `removals` under `profile` would touch now: the planned
// files and folders that exist and would be removed (wholly or in part), and
// the links at or below them, with what cannot be proven to be itself, which
// stay. Shown paths. Nothing is changed.
struct RemovalPreview {
  std::vector<std::wstring> removed;
  std::vector<std::wstring> kept_links;
};
RemovalPreview preview_removals(const platform::FilePath& profile, const std::vector<Removal>& removals,
                                const AfterListing& after_listing = nullptr);

// Carries out `removals` under `profile`, in order: a file removal deletes
// one file, a tree removal a file or folder with everything beneath it. A
// removal reached through a link is skipped, and links stay.
void remove_planned(const platform::FilePath& profile, const std::vector<Removal>& removals,
                    const AfterListing& after_listing = nullptr);

}  // namespace vantrel
