// Profile hygiene before the Engine starts: removing the previous session's
// tabs and chosen kinds of stored site data from the Engine's profile.
// Every removal is silent, permanent and best effort, and stays inside the
// profile: nothing is removed through a junction or symbolic link below the
// profile folder; a link that is itself to be removed goes as a link.
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

// Deletes the session and tab files of `profile_root`\Default and its
// Sessions folder.
void clear_previous_tabs(const std::wstring& profile_root);

// Deletes the files and folders of the storage categories that `selection`
// switches on ("all" switches on every one).
void reset_granular_storage(const std::wstring& profile_root, const std::map<std::string, bool>& selection);

// Deletes the file or folder at the full `path` with everything beneath it,
// permanently (not to the recycle bin), without any window; does nothing when
// nothing is there. What cannot be deleted stays. A link at `path` or inside
// the folder is removed as a link; what it points to is never touched.
void remove_tree(const std::wstring& path);

}  // namespace vantrel
