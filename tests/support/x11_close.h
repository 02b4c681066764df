// What a window manager sends when the player clicks a window's close button.
#pragma once
#include <string>

namespace testsupport {

// Sends WM_DELETE_WINDOW to the window (an id as xdotool prints it) on $DISPLAY
bool SendCloseRequest(const std::string& windowId);

} // namespace testsupport
