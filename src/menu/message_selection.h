// How a chosen message entry becomes the away message: its caption, an
// optional phrase in brackets.
#pragma once

#include <string>

#include "menu/message_menu.h"

namespace pavlune {

// What a selection needs of a message entry, copied when the entry is
// chosen: a reload of the menu while the phrase dialog is open must not
// pull the entry away under the selection.
struct MessageChoice {
    std::string Caption;
    bool AskAddString = false;
    std::string AddStringsFile;

    static MessageChoice From(const MessageEntry& entry) {
        return {entry.Caption, entry.AskAddString, entry.AddStringsFile};
    }
};

// The caption, or nothing for the free-text entry.
std::string MessageBase(const std::string& caption);

// base(addition) when both are there, otherwise whichever is; the phrase is
// taken as typed (no trimming, backslashes kept).
std::string ComposeMessage(const std::string& base, const std::string& addition);

}  // namespace pavlune
