// Arbitrary bytes as a phrase list file. Besides crashes and undefined
// behaviour, it checks that a list written back reads as the same phrases,
// that writing is stable from then on, and that no phrase holds a line end
// or a zero byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "menu/add_strings.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> phrases = pavlune::ReadPhraseList(bytes);
    for (const std::string& phrase : phrases) {
        Check(phrase.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    }
    std::string written = pavlune::WritePhraseList(phrases);
    Check(pavlune::ReadPhraseList(written) == phrases);
    Check(pavlune::WritePhraseList(pavlune::ReadPhraseList(written)) == written);
    return 0;
}
