// Loads a definition file into a message menu and writes the menu as a short
// outline, one entry a line, so a test states the whole expected menu at once:
//
//   caption [" #" default] [" @" phrase file] [" $" image index]
//
// Members of a group follow their group, indented by two blanks.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "fake_icon_source.h"
#include "menu/definition_file.h"

namespace pavlune {

inline void AddOutlineLine(std::string& outline, const MessageEntry& entry, const char* indent) {
    outline += indent + entry.Caption;
    if (entry.IsDefault) outline += " #";
    if (entry.AskAddString) outline += " @" + entry.AddStringsFile;
    if (!entry.AskAddString && !entry.AddStringsFile.empty()) {
        ADD_FAILURE() << "a phrase file without the \"@\" mark: " << entry.AddStringsFile;
    }
    if (entry.IconIndex >= 0) outline += " $" + std::to_string(entry.IconIndex);
    outline += '\n';
}

inline std::string Outline(const MessageMenu& menu) {
    std::string outline;
    for (const auto& entry : menu.Entries) {
        AddOutlineLine(outline, *entry, "");
        for (const auto& child : entry->Children) AddOutlineLine(outline, *child, "  ");
    }
    return outline;
}

class MessageMenuTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(icons.Leaked().empty()) << "icons loaded but never appended or dropped";
    }

    DefinitionOutcome Load(std::string_view file) { return BuildMessageMenu(file, menu, icons); }
    std::string Outline() const { return pavlune::Outline(menu); }
    const MessageEntry& Top(std::size_t index) const { return *menu.Entries.at(index); }

    MessageMenu menu;
    FakeIconSource icons;
};

}  // namespace pavlune
