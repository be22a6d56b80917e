#include "lan/adapter_table.h"

#include <windows.h>
#include <iphlpapi.h>
#include <winsock.h>

#include <vector>

#include "win/win_util.h"

namespace pavlune {

// The rows as IPHLPAPI.DLL lays them out on every Windows that has it.
static_assert(sizeof(MIB_IPADDRROW) == 24);

std::optional<std::vector<Subnet>> ReadAdapterSubnets() {
    using GetTable = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
    // Not among the DLLs Windows always takes from the system: imported by
    // name, a copy beside Pavlune.exe would run.
    static const auto getTable = ProcAddress<GetTable>(LoadSystemLibrary("IPHLPAPI.DLL"), "GetIpAddrTable");
    if (!getTable) return std::nullopt;
    std::vector<DWORD> buffer(64);
    // An adapter may come between the asking for the size and the reading.
    for (int attempt = 0; attempt < 3; ++attempt) {
        ULONG bytes = static_cast<ULONG>(buffer.size() * sizeof(DWORD));
        auto* table = reinterpret_cast<PMIB_IPADDRTABLE>(buffer.data());
        const DWORD result = getTable(table, &bytes, FALSE);
        if (result == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(bytes / sizeof(DWORD) + 1);
            continue;
        }
        if (result != NO_ERROR) return std::nullopt;
        std::vector<Subnet> adapters;
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            adapters.push_back({ntohl(table->table[i].dwAddr), ntohl(table->table[i].dwMask)});
        }
        return AdapterSubnets(std::move(adapters));
    }
    return std::nullopt;
}

}  // namespace pavlune
