#include "profile/hygiene.h"

#include <algorithm>
#include <utility>

#include "platform/opened_entry.h"

namespace vantrel {

namespace {

using Kind = Removal::Kind;
using platform::Access;
using platform::EntryKind;
using platform::FilePath;
using platform::Opened;
using platform::OpenedEntry;

bool selected(const std::map<std::string, bool>& selection, const char* name) {
  const auto it = selection.find(name);
  return it != selection.end() && it->second;
}

struct Category {
  const char* name;
  std::vector<Removal> entries;  // below the profile folder
  // Cache storage lies inside the service-worker folder; it is removed on
  // its own only when that folder is not removed whole.
  bool only_without_service_workers = false;
};

const std::vector<Category>& categories() {
  static const std::vector<Category> table = {
      {"cookies",
       {{L"Default\\Cookies", Kind::file},
        {L"Default\\Cookies-journal", Kind::file},
        {L"Default\\Network\\Cookies", Kind::file},
        {L"Default\\Network\\Cookies-journal", Kind::file}}},
      {"file_systems", {{L"Default\\File System", Kind::tree}}},
      {"indexeddb", {{L"Default\\IndexedDB", Kind::tree}}},
      {"local_storage", {{L"Default\\Local Storage", Kind::tree}}},
      {"shader_cache",
       {{L"ShaderCache", Kind::tree}, {L"GraphiteDawnCache", Kind::tree}, {L"Default\\GPUCache", Kind::tree}}},
      {"websql", {{L"Default\\databases", Kind::tree}}},
      {"service_workers", {{L"Default\\Service Worker", Kind::tree}}},
      {"cache_storage", {{L"Default\\Service Worker\\CacheStorage", Kind::tree}}, true},
      {"interest_groups", {{L"Default\\InterestGroups", Kind::tree}}},
      {"shared_storage", {{L"Default\\Shared Storage", Kind::file}, {L"Default\\Shared Storage-journal", Kind::file}}},
      {"storage_buckets", {{L"Default\\StorageBuckets", Kind::tree}}},
  };
  return table;
}

// The names of a removal, from the profile folder down.
std::vector<std::wstring> names_of(const std::wstring& names) {
  std::vector<std::wstring> parts;
  for (std::size_t begin = 0;;) {
    const std::size_t end = names.find(L'\\', begin);
    parts.push_back(names.substr(begin, end - begin));
    if (end == std::wstring::npos) return parts;
    begin = end + 1;
  }
}

// One walk for cleaning and for its preview: the same entries are opened,
// proven and entered; only the action differs.
class Walk {
 public:
  Walk(const FilePath& profile, RemovalPreview* preview, const AfterListing& after_listing)
      : profile_(profile), preview_(preview), after_listing_(after_listing) {}

  // Carries out (or previews) one removal below the opened profile folder.
  void carry_out(const OpenedEntry& root, const Removal& r) {
    const std::vector<std::wstring> names = names_of(r.names);
    // The folders on the way down: each must be a real folder (one that is
    // a link skips the removal).
    OpenedEntry folder;
    const OpenedEntry* parent = &root;
    FilePath path = profile_;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
      OpenedEntry next;
      if (!open(*parent, names[i], EntryKind::folder, Access::look, next)) return;
      folder = std::move(next);
      parent = &folder;
      path = path.child(names[i]);
    }
    path = path.child(names.back());
    OpenedEntry item;
    const Opened opened = platform::open_entry(*parent, names.back(), r.kind == Kind::file ? EntryKind::file : EntryKind::missing,
                                               access(), item);
    if (opened == Opened::failed && r.kind == Kind::tree) {
      // A folder held without delete sharing (another program stands in
      // it): what it holds still goes.
      if (platform::open_entry(*parent, names.back(), EntryKind::folder, Access::look, item) != Opened::yes) return;
    } else if (!handled(opened, path)) {
      return;
    }
    if (preview_ != nullptr) preview_->removed.push_back(path.shown());
    if (item.kind() == EntryKind::folder) {
      remove_tree(*parent, names.back(), std::move(item), path);
    } else if (preview_ == nullptr) {
      platform::delete_entry(*parent, names.back(), item);
    }
  }

 private:
  // A folder being walked: its handle, the entries its listing gave and the
  // next one to visit.
  struct Level {
    OpenedEntry folder;
    std::wstring name;  // in the folder above
    FilePath path;      // shown in the preview
    std::vector<platform::FolderEntry> entries;
    std::size_t next = 0;
  };

  Access access() const { return preview_ == nullptr ? Access::remove : Access::look; }

  // Whether an open ended in a usable entry; notes a link (or what is not
  // itself) in the preview, and stops all descending once handles or names
  // run out.
  bool handled(Opened opened, const FilePath& path) {
    if (opened == Opened::not_itself && preview_ != nullptr) preview_->kept_links.push_back(path.shown());
    if (opened == Opened::exhausted) exhausted_ = true;
    return opened == Opened::yes;
  }

  bool open(const OpenedEntry& folder, const std::wstring& name, EntryKind kind, Access access, OpenedEntry& out) {
    const Opened opened = platform::open_entry(folder, name, kind, access, out);
    if (opened == Opened::exhausted) exhausted_ = true;
    return opened == Opened::yes;
  }

  // Lists a folder just entered; the test's hands come in after the listing.
  Level enter(OpenedEntry folder, const std::wstring& name, const FilePath& path) {
    Level level{std::move(folder), name, path, {}, 0};
    platform::list_entries(level.folder, level.entries);
    if (after_listing_) after_listing_(path);
    return level;
  }

  // Everything beneath the opened folder `top` (the entry `name` of
  // `parent`), children before the folder that holds them, with a stack of
  // its own: a hostile, deeply nested tree cannot exhaust the thread's
  // stack, and at most one folder handle per level is open.
  void remove_tree(const OpenedEntry& parent, const std::wstring& name, OpenedEntry top, const FilePath& path) {
    std::vector<Level> stack;
    stack.push_back(enter(std::move(top), name, path));
    while (!stack.empty()) {
      Level& level = stack.back();
      if (level.next == level.entries.size()) {
        // Done with what it holds: the folder itself goes when it is empty.
        const OpenedEntry& above = stack.size() > 1 ? stack[stack.size() - 2].folder : parent;
        if (preview_ == nullptr) platform::delete_entry(above, level.name, level.folder);
        stack.pop_back();
        continue;
      }
      const platform::FolderEntry entry = level.entries[level.next++];
      const FilePath entry_path = level.path.child(entry.name);
      if (entry.kind == EntryKind::link) {
        if (preview_ != nullptr) preview_->kept_links.push_back(entry_path.shown());
        continue;
      }
      if (entry.kind == EntryKind::folder && exhausted_) continue;  // no deeper: what is left stays
      OpenedEntry opened;
      Opened result = platform::open_entry(level.folder, entry.name, entry.kind, access(), opened);
      if (result == Opened::failed && entry.kind == EntryKind::folder) {
        result = platform::open_entry(level.folder, entry.name, EntryKind::folder, Access::look, opened);
      }
      if (result == Opened::other_kind) result = Opened::not_itself;  // changed since it was listed
      if (!handled(result, entry_path)) continue;
      if (opened.kind() == EntryKind::folder) {
        Level next = enter(std::move(opened), entry.name, entry_path);
        stack.push_back(std::move(next));  // `level` is not used past here
      } else if (preview_ == nullptr) {
        platform::delete_entry(level.folder, entry.name, opened);
      }
    }
  }

  const FilePath& profile_;
  RemovalPreview* preview_;  // null: removing
  const AfterListing& after_listing_;
  bool exhausted_ = false;
};

void walk(const FilePath& profile, const std::vector<Removal>& removals, RemovalPreview* preview,
          const AfterListing& after_listing) {
  if (profile.empty() || removals.empty()) return;
  OpenedEntry root;
  if (platform::open_folder(profile, Access::look, root) != Opened::yes) return;
  Walk w(profile, preview, after_listing);
  for (const Removal& r : removals) w.carry_out(root, r);
}

}  // namespace

void remove_planned(const FilePath& profile, const std::vector<Removal>& removals, const AfterListing& after_listing) {
  walk(profile, removals, nullptr, after_listing);
}

RemovalPreview preview_removals(const FilePath& profile, const std::vector<Removal>& removals,
                                const AfterListing& after_listing) {
  RemovalPreview preview;
  walk(profile, removals, &preview, after_listing);
  return preview;
}

std::vector<std::string> storage_category_names() {
  std::vector<std::string> names;
  for (const Category& c : categories()) names.push_back(c.name);
  return names;
}

bool cleaning_asked(bool close_previous_tabs, const std::map<std::string, bool>& selection) {
  bool asked = close_previous_tabs;
  for (const auto& category : selection) asked = asked || category.second;
  return asked;
}

std::vector<std::string> names_selecting_nothing(const std::map<std::string, bool>& selection) {
  const std::vector<std::string> known = storage_category_names();
  std::vector<std::string> names;
  for (const auto& entry : selection) {
    if (entry.first != "all" && std::find(known.begin(), known.end(), entry.first) == known.end()) {
      names.push_back(entry.first);
    }
  }
  return names;
}

bool all_overrides_others(const std::map<std::string, bool>& selection) {
  return selected(selection, "all") && selection.size() > 1;
}

std::vector<Removal> previous_tabs_removals() {
  return {
      {L"Default\\Current Tabs", Kind::file},
      {L"Default\\Current Session", Kind::file},
      {L"Default\\Last Tabs", Kind::file},
      {L"Default\\Last Session", Kind::file},
      {L"Default\\Sessions", Kind::tree},
  };
}

std::vector<Removal> granular_storage_removals(const std::map<std::string, bool>& selection) {
  std::vector<Removal> removals;
  const bool all = selected(selection, "all");
  bool any_true = false;
  for (const auto& entry : selection) any_true = any_true || entry.second;
  if (!all && !any_true) return removals;

  const bool service_workers = all || selected(selection, "service_workers");
  for (const Category& category : categories()) {
    if (category.only_without_service_workers && service_workers) continue;
    if (!all && !selected(selection, category.name)) continue;
    for (const Removal& e : category.entries) removals.push_back(e);
  }
  return removals;
}

}  // namespace vantrel
