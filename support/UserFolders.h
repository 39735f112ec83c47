// The user's own folders of the freedesktop.org base directory rules, with Pemdaro's
// subfolder, each ending with "/".
#pragma once

#include <string>

// $XDG_STATE_HOME/pemdaro/, or ~/.local/state/pemdaro/ (a relative or empty
// XDG_STATE_HOME is ignored, as the rules say), created with mode 0700 where missing.
// Empty when there is no home folder or the folder cannot be made.
std::string UserStateFolder();

// $XDG_CONFIG_HOME/pemdaro/, or ~/.config/pemdaro/, created as above. Empty as above.
std::string UserConfigFolder();

// $XDG_DATA_HOME/pemdaro/, or ~/.local/share/pemdaro/, created as above. Empty as above.
std::string UserDataFolder();
