// Temporary until the registry store lands.
#include <cstdlib>

#include "platform/Platform.hpp"

namespace velmora {
Registry& SystemRegistry() {
    std::abort();
}
}  // namespace velmora
