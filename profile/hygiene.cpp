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

void remove_all(const std::vector<Removal>& removals) {
  for (const Removal& r : removals) {
    if (r.kind == Kind::file) {
      platform::delete_file(r.path);
    } else {
      remove_tree(r.path);
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

void clear_previous_tabs(const std::wstring& profile_root) { remove_all(previous_tabs_removals(profile_root)); }

void reset_granular_storage(const std::wstring& profile_root, const std::map<std::string, bool>& selection) {
  remove_all(granular_storage_removals(profile_root, selection));
}

}  // namespace vantrel
