// Move-only owners for Windows handles and GDI objects: each handle has exactly one owner,
// which closes it on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrel::win {

// Files and pipes signal failure with INVALID_HANDLE_VALUE; processes and
// threads with null. Both are "no handle" here.
struct KernelHandleTraits {
  static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};

template <typename T, typename Traits>
class ScopedResource {
 public:
  ScopedResource() = default;
  explicit ScopedResource(T value) : value_(value) {}
  ~ScopedResource() { reset(); }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;
  ScopedResource(ScopedResource&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
  ScopedResource& operator=(ScopedResource&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, T{});
    }
    return *this;
  }

  T get() const { return value_; }
  bool valid() const { return Traits::valid(value_); }
  void reset(T value = T{}) {
    if (Traits::valid(value_)) Traits::close(value_);
    value_ = value;
  }
  T release() { return std::exchange(value_, T{}); }

 private:
  T value_{};
};

using ScopedHandle = ScopedResource<HANDLE, KernelHandleTraits>;

// Memory that the system allocated with LocalAlloc (CommandLineToArgvW,
// FormatMessageW with FORMAT_MESSAGE_ALLOCATE_BUFFER).
template <typename T>
struct LocalFreeTraits {
  static bool valid(T p) { return p != nullptr; }
  static void close(T p) { ::LocalFree(reinterpret_cast<HLOCAL>(p)); }
};
template <typename T>
using ScopedLocal = ScopedResource<T, LocalFreeTraits<T>>;

// GDI objects (fonts, brushes) are deleted with DeleteObject.
struct GdiObjectTraits {
  static bool valid(HGDIOBJ h) { return h != nullptr; }
  static void close(HGDIOBJ h) { ::DeleteObject(h); }
};
using ScopedFont = ScopedResource<HFONT, GdiObjectTraits>;
using ScopedBrush = ScopedResource<HBRUSH, GdiObjectTraits>;

// Selects a GDI object into a device context for one scope and puts the
// previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelect() { ::SelectObject(dc_, previous_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace vantrel::win
