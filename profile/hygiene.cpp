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

using platform::EntryKind;

// Whether every folder between `root` (which may itself be a link: profiles
// are moved to other drives that way) and `path` is a real folder. A link
// there would make the removal reach outside the profile.
bool reached_without_links(const std::wstring& root, const std::wstring& path) {
  for (std::size_t end = path.find(L'\\', root.size() + 1); end != std::wstring::npos;
       end = path.find(L'\\', end + 1)) {
    if (platform::entry_kind(path.substr(0, end)) != EntryKind::folder) return false;
  }
  return true;
}

void remove_all(const std::wstring& root, const std::vector<Removal>& removals) {
  for (const Removal& r : removals) {
    if (!reached_without_links(root, r.path)) continue;
    if (r.kind == Kind::tree) {
      remove_tree(r.path);
    } else if (platform::entry_kind(r.path) == EntryKind::link) {
      platform::remove_link(r.path);
    } else {
      platform::delete_file(r.path);
    }
  }
}

}  // namespace

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

void clear_previous_tabs(const std::wstring& profile_root) {
  remove_all(profile_root, previous_tabs_removals(profile_root));
}

void reset_granular_storage(const std::wstring& profile_root, const std::map<std::string, bool>& selection) {
  remove_all(profile_root, granular_storage_removals(profile_root, selection));
}

void remove_tree(const std::wstring& path) {
  // Post-order walk with a stack of its own, so that a hostile, deeply nested
  // tree cannot exhaust the thread's stack. Links met on the way are removed
  // as links: the walk never enters one.
  struct Pending {
    std::wstring path;
    bool listed;
  };
  std::vector<Pending> pending;
  const auto remove_entry = [&pending](const std::wstring& entry, EntryKind kind) {
    switch (kind) {
      case EntryKind::missing: break;
      case EntryKind::link: platform::remove_link(entry); break;
      case EntryKind::file: platform::delete_file(entry, true); break;
      case EntryKind::folder: pending.push_back({entry, false}); break;
    }
  };
  remove_entry(path, path.empty() ? EntryKind::missing : platform::entry_kind(path));
  while (!pending.empty()) {
    if (pending.back().listed) {
      platform::remove_empty_folder(pending.back().path);
      pending.pop_back();
      continue;
    }
    pending.back().listed = true;
    const std::wstring folder = pending.back().path;
    for (const platform::FolderEntry& e : platform::folder_entries(folder)) {
      remove_entry(folder + L"\\" + e.name, e.kind);
    }
  }
}

}  // namespace vantrel
