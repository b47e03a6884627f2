#pragma once

namespace velmora {

// One use of the plug-in: dialog, options, renames, descriptions. 1 when everything was done,
// 0 when cancelled or when a warning box was shown.
int RunRename();

}  // namespace velmora
