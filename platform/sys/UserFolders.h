// The user's folders by the XDG rules (user-dirs.dirs), without trailing "/".
#pragma once
#include <string>

namespace sys
{
enum TSpecialFolder { sfHome, sfDesktop, sfDocuments, sfVideos, sfPictures, sfMusic, sfDownload, sfConfig, sfTemplates, sfDataHome };

// The folder's path. A folder the user has not set falls back to the usual
// name under the home folder ("Desktop", "Documents", "Videos" …); the folder
// need not exist. sfConfig is $XDG_CONFIG_HOME or ~/.config, sfDataHome
// $XDG_DATA_HOME or ~/.local/share.
std::string SpecialFolder(TSpecialFolder folder);
}
