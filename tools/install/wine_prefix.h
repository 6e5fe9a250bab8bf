// Games installed in a Wine prefix, as Linux players run the game. Its
// installer wrote "Install Dir" into the prefix's registry file system.reg, as
// a Windows path whose drive the prefix's folder dosdevices maps to a folder
// of this system.
#pragma once

#include <string>
#include <vector>

namespace gs {

struct WineGame {
  std::string GameDir;  // the game's folder on this system
  std::string Origin;   // where it was found: the value as stored, its key and file
};

// The game in a Wine prefix: "Install Dir" of the game's key in
// PREFIX/system.reg (below Software\Wow6432Node in a 64-bit prefix, below
// Software in a 32-bit one; names without regard to letter case), its drive
// letter mapped through PREFIX/dosdevices, its folder names found without
// regard to letter case when the stored path's case differs. Raises error 53
// naming the keys and files looked at when the prefix holds no such game, and
// error 7777 naming the line when system.reg is no Wine registry file.
WineGame FindGameInWinePrefix(const std::string& prefix);

// The game in the first of the prefixes that holds it; error 53 saying what
// was looked at in each when none does.
WineGame FindGameInWinePrefixes(const std::vector<std::string>& prefixes);

// The prefixes to look in when none is named: $WINEPREFIX, then ~/.wine. None
// on Windows, which runs the game itself.
std::vector<std::string> DefaultWinePrefixes();

}  // namespace gs
