// The host finds its panel's names as the plan's simulated directory does.
#pragma once

#include "plan/NameTable.hpp"

namespace velmora::host {

using velmora::NameIndex;
using velmora::NameTable;

}  // namespace velmora::host
