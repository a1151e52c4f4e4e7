#pragma once

#include <string>

namespace vesk {

// The folder whose programs the desktop starts at every user's log-on; the operator drops
// shortcuts there by hand.
std::string allUsersStartupFolder();

}  // namespace vesk
