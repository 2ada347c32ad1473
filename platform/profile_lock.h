// One start of a profile at a time. A start holds a named mutex for its
// profile folder from before the in-use check until its Engine process
// exists (or the run ends); a start that created an Engine leaves a named
// marker inside that Engine's process, so the marker lives exactly as long
// as the Engine does. A second start of the same profile waits for the first
// and, finding the marker, leaves the profile alone: the browser the first
// start created may be writing it before it takes its "lockfile". Starts of
// other profiles never wait for each other.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vantrel::platform {

// What names a profile folder for every start of it: its volume serial and
// file index when it exists (however its path is written, through links and
// all), else its name as Windows compares names (upper case).
std::string folder_identity(const FilePath& folder);

// The mutex's name for a folder's identity: "Local\vantrel-profile-" and 16
// hex digits of its hash (no further backslash, well within the name limit).
// The marker's is the same with "-engine" after it.
std::wstring profile_lock_name(const std::string& identity);

class ProfileStartLock {
 public:
  ProfileStartLock() = default;  // holds nothing
  // Takes the lock of the folder with `identity`, waiting at most `wait` for
  // another start of it; an abandoned lock (its start died) counts as free.
  ProfileStartLock(const std::string& identity, std::chrono::milliseconds wait);
  ~ProfileStartLock() { release(); }
  ProfileStartLock(ProfileStartLock&& other) noexcept { *this = std::move(other); }
  ProfileStartLock& operator=(ProfileStartLock&& other) noexcept;
  ProfileStartLock(const ProfileStartLock&) = delete;
  ProfileStartLock& operator=(const ProfileStartLock&) = delete;

  // The wait passed its bound: another start of the profile still runs.
  bool waited_out() const { return waited_out_; }
  // An Engine that a start of this profile created still runs.
  bool engine_starting() const;
  // Leaves the marker in the Engine process just created (`process`: its
  // handle), then lets the next start of the profile go.
  void engine_created(void* process);
  void release();

 private:
  std::intptr_t mutex_ = 0;  // a HANDLE on Windows; 0: none
  bool waited_out_ = false;
  std::wstring name_;
};

}  // namespace vantrel::platform
