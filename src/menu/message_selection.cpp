#include "menu/message_selection.h"

namespace pavlune {

std::string MessageBase(const std::string& caption) { return caption == kFreeTextCaption ? std::string() : caption; }

std::string ComposeMessage(const std::string& base, const std::string& addition) {
    if (base.empty() || addition.empty()) return base + addition;
    return base + "(" + addition + ")";
}

}  // namespace pavlune
