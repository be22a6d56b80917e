// Arbitrary bytes as a menu definition file. Besides crashes, undefined
// behaviour and leaks, it checks what must hold for every file: each icon
// loaded is appended or released, the default entry is an entry of the menu,
// and the tree has the shape the menu renderer relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "common/error.h"
#include "menu/definition_file.h"

namespace {

using namespace pavlune;

// Fails for some paths, chosen by the path's first byte, so errors strike at
// any line and between a group icon and an entry icon.
class FlakyIcons : public IconSource {
public:
    int Load(const std::string& path) override {
        if (path.empty()) std::abort();  // the parser never asks for no file
        switch (static_cast<unsigned char>(path[0]) % 7) {
            case 0: throw Error(IconNotOpenedMessage(path));
            case 1: throw Error(kInvalidIconMessage);
            default: break;
        }
        held_.insert(next_);
        return next_++;
    }
    int Append(int token) override {
        Release(token);
        return appended_++;
    }
    void Drop(int token) override { Release(token); }

    bool AllReleased() const { return held_.empty(); }
    int Appended() const { return appended_; }

private:
    void Release(int token) {
        if (held_.erase(token) != 1) std::abort();  // unknown or released twice
    }

    std::set<int> held_;
    int next_ = 0;
    int appended_ = 0;
};

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsLineText(std::string_view caption) {
    return caption.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void CheckEntry(const MessageEntry& entry, int images) {
    Check(IsLineText(entry.Caption));
    Check(entry.IconIndex >= -1 && entry.IconIndex < images);
    Check(entry.AskAddString == !entry.AddStringsFile.empty());
    if (entry.HasAction) Check(!entry.IsSeparator());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    MessageMenu menu;
    FlakyIcons icons;
    bool failed = false;
    DefinitionOutcome outcome = DefinitionOutcome::Loaded;
    try {
        outcome = BuildMessageMenu(file, menu, icons);
    } catch (const Error&) {
        failed = true;
    }

    Check(icons.AllReleased());
    if (!failed && outcome == DefinitionOutcome::Empty) Check(menu.Entries.empty());
    if (!failed && outcome == DefinitionOutcome::Loaded) Check(!menu.Entries.empty());

    bool defaultFound = menu.DefaultMessageItem == nullptr;
    for (const auto& entry : menu.Entries) {
        CheckEntry(*entry, icons.Appended());
        defaultFound = defaultFound || entry.get() == menu.DefaultMessageItem;
        for (const auto& child : entry->Children) {
            CheckEntry(*child, icons.Appended());
            Check(!child->Caption.empty());
            Check(child->Children.empty());  // one level of groups
            defaultFound = defaultFound || child.get() == menu.DefaultMessageItem;
        }
    }
    Check(defaultFound);
    if (menu.DefaultMessageItem) Check(menu.DefaultMessageItem->IsDefault);
    return 0;
}
