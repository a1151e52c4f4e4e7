#pragma once

#include <memory>
#include <string>

namespace vesk {

enum class InstanceLockState {
    Acquired,       // this process is the running copy
    HeldByAnother,  // another process of this user holds it
    Unavailable,    // the lock could not be made; see error()
};

// A per-user lock that one running copy holds for its whole run. The system releases it when
// the holder ends, however it ends, so a crash never leaves a stale lock behind.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
    virtual InstanceLockState state() const = 0;
    virtual const std::string& error() const = 0;
};

// Tries to take the lock called name (a plain file name, no folder).
std::unique_ptr<InstanceLock> takeInstanceLock(const std::string& name);

// A folder only this user can enter, for the lock and the running copy's local socket. Made
// when missing; empty when no safe folder could be had.
std::string userRuntimeFolder();

}  // namespace vesk
