// Profile hygiene before the Engine starts: removing the previous session's
// tabs and chosen kinds of stored site data from the Engine's profile.
// Every removal is silent, permanent and best effort, and stays inside the
// profile: nothing is removed through a junction or symbolic link below the
// profile folder (the profile folder itself may be one), and links are left
// in place, so what they point to is never touched.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantrel {

// One thing to remove: a single file, or a file or folder with everything
// beneath it.
struct Removal {
  enum class Kind { file, tree };
  std::wstring path;
  Kind kind;

  bool operator==(const Removal& other) const { return path == other.path && kind == other.kind; }
};

// What clear_previous_tabs removes under `profile_root`, in order; nothing
// when the root is empty.
std::vector<Removal> previous_tabs_removals(const std::wstring& profile_root);

// What reset_granular_storage removes for the selected categories, in order;
// nothing when the root or the selection is empty or selects nothing.
std::vector<Removal> granular_storage_removals(const std::wstring& profile_root,
                                               const std::map<std::string, bool>& selection);

// The storage category names "granular-storage-reset" acts on, in the order
// they are processed ("all" not included).
std::vector<std::string> storage_category_names();

// What carrying out `removals` would touch now: the planned files and folders
// that exist and would be removed (wholly or in part), and the links at or
// below them, which stay. Nothing is changed.
struct RemovalPreview {
  std::vector<std::wstring> removed;
  std::vector<std::wstring> kept_links;
};
RemovalPreview preview_removals(const std::wstring& profile_root, const std::vector<Removal>& removals);

// Carries out `removals` (paths under `profile_root`), in order: a file
// removal deletes one file, a tree removal a file or folder with everything
// beneath it. A removal reached through a link is skipped, and links stay.
void remove_planned(const std::wstring& profile_root, const std::vector<Removal>& removals);

}  // namespace vantrel
