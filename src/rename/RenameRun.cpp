#include "rename/RenameRun.hpp"

namespace velmora {

// Placeholder until the run lands.
int RunRename() { return 0; }

}  // namespace velmora
