#include "common/error.h"

#include "common/sjis.h"

namespace pavlune {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    // string_view compares bytes as unsigned, so a two-byte character is
    // always greater than ".".
    if (LastChar(message) > std::string_view(".")) text += '.';
    return text;
}

}  // namespace pavlune
