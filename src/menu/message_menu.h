// The message menu: the tree of away messages built from the menu definition
// file, as shown on a left click on the tray icon.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pavlune {

// The phrase file used when an "@" mark names none.
inline constexpr const char* kDefaultAddStringsFile = "Pavlune.2.txt";
// The caption of an entry whose text is empty: the user types the message.
inline constexpr const char* kFreeTextCaption = "<<自由文字列表示>>";

struct MessageEntry {
    std::string Caption;          // "-" is a separator
    bool IsDefault = false;       // shown bold; a tray double-click may use it
    bool AskAddString = false;    // asks for an additional phrase before use
    std::string AddStringsFile;   // phrase file, relative to the program's folder
    int IconIndex = -1;           // image in the message menu's image list
    bool HasAction = false;       // chosen by a click (groups and separators are not)
    std::vector<std::unique_ptr<MessageEntry>> Children;

    bool IsSeparator() const { return Caption == "-"; }
    bool IsGroup() const { return !Children.empty(); }
};

struct MessageMenu {
    std::vector<std::unique_ptr<MessageEntry>> Entries;
    // The entry of the last line marked "#", or none.
    MessageEntry* DefaultMessageItem = nullptr;

    void Clear() {
        DefaultMessageItem = nullptr;
        Entries.clear();
    }
};

}  // namespace pavlune
