// The address and mask of each of this PC's network adapters, from
// IPHLPAPI.DLL's GetIpAddrTable, looked up at run time: Windows 95 without
// the library and NT4 before its Service Pack 4 have none of it.
#pragma once

#include <optional>
#include <vector>

#include "lan/subnets.h"

namespace pavlune {

// The adapters' subnets (see AdapterSubnets); none when the system cannot
// tell them.
std::optional<std::vector<Subnet>> ReadAdapterSubnets();

}  // namespace pavlune
