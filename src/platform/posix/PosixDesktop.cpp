#include "platform/Desktop.h"

namespace vesk {

// The freedesktop autostart folder for every user.
std::string allUsersStartupFolder() {
    return "/etc/xdg/autostart";
}

}  // namespace vesk
