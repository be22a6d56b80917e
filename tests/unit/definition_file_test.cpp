#include "menu/definition_file.h"

#include "common/error.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace pavlune {
namespace {

// Records icon loads and appends; paths listed in missing fail to load.
class FakeIcons : public IconSource {
public:
    int Load(const std::string& path) override {
        if (path == "missing.ico") throw Error(IconNotOpenedMessage(path));
        loaded[next] = path;
        return next++;
    }
    int Append(int token) override {
        appended.push_back(loaded.at(token));
        loaded.erase(token);
        return static_cast<int>(appended.size()) - 1;
    }
    void Drop(int token) override { loaded.erase(token); }

    std::map<int, std::string> loaded;
    std::vector<std::string> appended;
    int next = 0;
};

TEST(DefinitionFile, WorkedExample) {
    const char* file =
        "// 在席表示メニュー\r\n#在席\r\n会議中\r\n@外出\r\n@行き先.txt@出張\r\n-\r\n$icons\\lunch.ico$昼食\r\n"
        "$icons\\home.ico$$icons\\bye.ico$帰宅\\本日は帰宅しました\r\n帰宅\\明日は休みです\r\n@\r\n";
    MessageMenu menu;
    FakeIcons icons;
    ASSERT_EQ(BuildMessageMenu(file, menu, icons), DefinitionOutcome::Loaded);
    ASSERT_EQ(menu.Entries.size(), 8u);
    EXPECT_EQ(menu.Entries[0]->Caption, "在席");
    EXPECT_EQ(menu.DefaultMessageItem, menu.Entries[0].get());
    EXPECT_EQ(menu.Entries[3]->AddStringsFile, "行き先.txt");
    EXPECT_EQ(menu.Entries[6]->Caption, "帰宅");
    EXPECT_EQ(menu.Entries[6]->IconIndex, 2);
    ASSERT_EQ(menu.Entries[6]->Children.size(), 2u);
    EXPECT_EQ(menu.Entries[6]->Children[0]->IconIndex, 1);
    EXPECT_EQ(menu.Entries[7]->Caption, kFreeTextCaption);
    EXPECT_EQ(icons.appended, (std::vector<std::string>{"icons\\lunch.ico", "icons\\bye.ico", "icons\\home.ico"}));
    EXPECT_TRUE(icons.loaded.empty());
}

}  // namespace
}  // namespace pavlune
