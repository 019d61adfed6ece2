#pragma once

#include <string>

namespace nx::platform {

// Shows the default topic of the compiled help file at chmPath in a help viewer that is
// independent of the calling window, and returns at once. Asking again while the viewer is open
// shows the default topic again in the same viewer. When the file cannot be displayed nothing is
// shown, no message is given, and the result is false.
bool displayHelpTopic(const std::string& chmPath);

}  // namespace nx::platform
