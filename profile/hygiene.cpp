#include "profile/hygiene.h"

#include "platform/platform.h"

namespace vantrel {

namespace {

using Kind = Removal::Kind;

bool selected(const std::map<std::string, bool>& selection, const char* name) {
  const auto it = selection.find(name);
  return it != selection.end() && it->second;
}

struct CategoryEntry {
  bool under_profile;  // under root\Default, else under the root itself
  const wchar_t* relative_path;
  Kind kind;
};

struct Category {
  const char* name;
  std::vector<CategoryEntry> entries;
  // Cache storage lies inside the service-worker folder; it is removed on
  // its own only when that folder is not removed whole.
  bool only_without_service_workers = false;
};

const std::vector<Category>& categories() {
  static const std::vector<Category> table = {
      {"cookies",
       {{true, L"\\Cookies", Kind::file},
        {true, L"\\Cookies-journal", Kind::file},
        {true, L"\\Network\\Cookies", Kind::file},
        {true, L"\\Network\\Cookies-journal", Kind::file}}},
      {"file_systems", {{true, L"\\File System", Kind::tree}}},
      {"indexeddb", {{true, L"\\IndexedDB", Kind::tree}}},
      {"local_storage", {{true, L"\\Local Storage", Kind::tree}}},
      {"shader_cache",
       {{false, L"\\ShaderCache", Kind::tree},
        {false, L"\\GraphiteDawnCache", Kind::tree},
        {true, L"\\GPUCache", Kind::tree}}},
      {"websql", {{true, L"\\databases", Kind::tree}}},
      {"service_workers", {{true, L"\\Service Worker", Kind::tree}}},
      {"cache_storage", {{true, L"\\Service Worker\\CacheStorage", Kind::tree}}, true},
      {"interest_groups", {{true, L"\\InterestGroups", Kind::tree}}},
      {"shared_storage",
       {{true, L"\\Shared Storage", Kind::file}, {true, L"\\Shared Storage-journal", Kind::file}}},
      {"storage_buckets", {{true, L"\\StorageBuckets", Kind::tree}}},
  };
  return table;
}

}  // namespace

using platform::EntryKind;
using platform::FilePath;

namespace {

// A planned path as the names below the profile folder: "Default\Sessions".
std::wstring below_root(const std::wstring& profile_root, const std::wstring& path) {
  std::size_t start = profile_root.size();
  while (start < path.size() && path[start] == L'\\') ++start;
  return path.substr(start);
}

// The planned removal `r` as a FilePath: `root` (the profile folder, made a
// file path once) with the planned names appended, never made canonical
// again. Empty when a folder on the way down to it is not a real folder (a
// junction, symbolic link or mount point); the root itself may be a link:
// profiles are moved to other drives that way.
FilePath reached_without_links(const FilePath& root, const std::wstring& profile_root, const Removal& r) {
  const std::wstring names = below_root(profile_root, r.path);
  for (std::size_t end = names.find(L'\\'); end != std::wstring::npos; end = names.find(L'\\', end + 1)) {
    if (platform::entry_kind(root.child(names.substr(0, end))) != EntryKind::folder) return FilePath();
  }
  return root.child(names);
}

// Deletes the file or folder at `path` with everything beneath it,
// permanently, without any window; nothing there, nothing done. What cannot
// be deleted stays. A link at `path` or inside the folder stays, and so do
// the folders that hold it.
void remove_tree(const FilePath& path);

}  // namespace

void remove_planned(const std::wstring& profile_root, const std::vector<Removal>& removals) {
  const FilePath root = platform::file_path(profile_root);
  for (const Removal& r : removals) {
    const FilePath item = reached_without_links(root, profile_root, r);
    if (item.empty()) continue;
    if (r.kind == Kind::tree) {
      remove_tree(item);
    } else if (platform::entry_kind(item) != EntryKind::link) {
      platform::delete_file(item);
    }
  }
}

std::vector<std::string> storage_category_names() {
  std::vector<std::string> names;
  for (const Category& c : categories()) names.push_back(c.name);
  return names;
}

std::vector<Removal> previous_tabs_removals(const std::wstring& profile_root) {
  if (profile_root.empty()) return {};
  const std::wstring profile = profile_root + L"\\Default";
  return {
      {profile + L"\\Current Tabs", Kind::file},
      {profile + L"\\Current Session", Kind::file},
      {profile + L"\\Last Tabs", Kind::file},
      {profile + L"\\Last Session", Kind::file},
      {profile + L"\\Sessions", Kind::tree},
  };
}

std::vector<Removal> granular_storage_removals(const std::wstring& profile_root,
                                               const std::map<std::string, bool>& selection) {
  std::vector<Removal> removals;
  if (profile_root.empty() || selection.empty()) return removals;
  const std::wstring profile = profile_root + L"\\Default";
  const bool all = selected(selection, "all");
  bool any_true = false;
  for (const auto& entry : selection) any_true = any_true || entry.second;
  if (!all && !any_true) return removals;

  const bool service_workers = all || selected(selection, "service_workers");
  for (const Category& category : categories()) {
    if (category.only_without_service_workers && service_workers) continue;
    if (!all && !selected(selection, category.name)) continue;
    for (const CategoryEntry& e : category.entries) {
      removals.push_back({(e.under_profile ? profile : profile_root) + e.relative_path, e.kind});
    }
  }
  return removals;
}

namespace {

// Visits everything beneath `folder`, children before the folder that holds
// them, with a stack of its own: a hostile, deeply nested tree cannot exhaust
// the thread's stack. Links are reported to `entry` but never entered. Each
// entry is addressed by exactly the name its folder's listing gave: a folder
// "x." is "x.", never the "x" (perhaps a link) beside it.
template <typename Entry, typename FolderDone>
void walk_tree(const FilePath& folder, Entry entry, FolderDone folder_done) {
  struct Pending {
    FilePath path;
    bool listed;
  };
  std::vector<Pending> pending{{folder, false}};
  while (!pending.empty()) {
    if (pending.back().listed) {
      folder_done(pending.back().path);
      pending.pop_back();
      continue;
    }
    pending.back().listed = true;
    const FilePath current = pending.back().path;
    for (const platform::FolderEntry& e : platform::folder_entries(current)) {
      const FilePath path = current.child(e.name);
      if (e.kind == EntryKind::folder) {
        pending.push_back({path, false});
      } else {
        entry(path, e.kind);
      }
    }
  }
}

void remove_tree(const FilePath& path) {
  // Links are left alone, and so is the folder that holds one: no removal
  // call is certain to take only the link (Wine treats a linked folder as the
  // folder it points to).
  const EntryKind kind = path.empty() ? EntryKind::missing : platform::entry_kind(path);
  if (kind == EntryKind::file) platform::delete_file(path, true);
  if (kind != EntryKind::folder) return;
  walk_tree(
      path,
      [](const FilePath& entry, EntryKind entry_kind) {
        if (entry_kind == EntryKind::file) platform::delete_file(entry, true);
      },
      [](const FilePath& folder) { platform::remove_empty_folder(folder); });
}

}  // namespace

RemovalPreview preview_removals(const std::wstring& profile_root, const std::vector<Removal>& removals) {
  RemovalPreview preview;
  const FilePath root = platform::file_path(profile_root);
  for (const Removal& r : removals) {
    const FilePath item = reached_without_links(root, profile_root, r);
    if (item.empty()) continue;
    const EntryKind kind = platform::entry_kind(item);
    if (kind == EntryKind::link) preview.kept_links.push_back(r.path);
    // A file removal of a folder fails; a tree removal takes what is not a link.
    if (kind == EntryKind::file || (kind == EntryKind::folder && r.kind == Kind::tree)) {
      preview.removed.push_back(r.path);
    }
    if (kind != EntryKind::folder || r.kind != Kind::tree) continue;
    walk_tree(
        item,
        [&preview](const FilePath& entry, EntryKind entry_kind) {
          if (entry_kind == EntryKind::link) preview.kept_links.push_back(entry.shown());
        },
        [](const FilePath&) {});
  }
  return preview;
}

}  // namespace vantrel
