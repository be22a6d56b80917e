// Arbitrary text as a Boolean value of the settings file, and as the
// BroadcastTo list. Short runs of decimal digits have an obvious meaning,
// which is checked, as are the list's bounds; anything else must merely not
// crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/settings_values.h"
#include "lan/broadcast_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool withTrue = pavlune::ParseBoolean(text, true);
    const bool withFalse = pavlune::ParseBoolean(text, false);

    const bool shortDecimal = !text.empty() && text.size() <= 9 &&
                              text.find_first_not_of("0123456789") == std::string_view::npos;
    if (shortDecimal) {
        const bool nonZero = text.find_first_not_of('0') != std::string_view::npos;
        if (withTrue != nonZero || withFalse != nonZero) std::abort();
    }

    const pavlune::BroadcastList list = pavlune::ParseBroadcastList(text);
    if (list.Targets.size() > pavlune::kMaxBroadcastTargets) std::abort();
    for (std::size_t i = 0; i < list.Targets.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (list.Targets[i] == list.Targets[j]) std::abort();
        }
    }
    // However long the junk, the start-up box stays a few lines.
    if (pavlune::SkippedEntriesMessage(list.Skipped).size() > 1024) std::abort();
    return 0;
}
