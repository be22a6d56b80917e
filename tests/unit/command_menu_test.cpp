// The command menu of a right click on the tray icon, and the check marks
// that hold the program's options.
#include "app/command_menu.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace pavlune {
namespace {

TEST(CommandMenu, ItemsTopToBottom) {
    struct Row {
        const char* name;
        const char* caption;
        int image;
    };
    // Items 1 to 5 are group 1, the rest group 3.
    const Row rows[] = {
        {"RMenuStartScreenSaver", "スクリーンセーバースタート", 13},
        {"RMenuScreenSaverDisabled", "スクリーンセーバーの無効化", 8},
        {"RScreenSaverConfig", "スクリーンセーバーの設定(&D)...", 1},
        {"N5", "-", -1},
        {"RMenuReload", "メニューリロード(&R)", 4},
        {"RMenuOpenStringTable", "定義ファイルを開く(&O)", 2},
        {"RMenuOpenAddStringsFile", "付加文字定義ファイルを開く(&F)", 3},
        {"RMenuMarqueeSaverConfig", "伝言用スクリーンセーバーの設定(&C)...", 10},
        {"N6", "-", -1},
        {"RMenuAutoMenuReload", "自動メニューリロード", 5},
        {"RMenuAutoAddStringSort", "付加文字自動並べ替え", 11},
        {"RMenuAutoAddStringSave", "付加文字自動保存", 12},
        {"RMenuScreenSaverJack", "スクリーンセーバーのっとり", -1},
        {"N7", "-", -1},
        {"N8", "他の人の状況表示", -1},
        {"N9", "最新情報の取得", -1},
        {"N4", "-", -1},
        {"RMenuPasswordEnabled", "パスワード有効(&E)", 6},
        {"RMenuPasswordChange", "パスワードの変更(&P)...", 9},
        {"N3", "-", -1},
        {"RMenuDengon", "伝言板", 14},
        {"RMenu3D", "３D", 15},
        {"N2", "-", -1},
        {"RMenuAbout", "Pavluneについて(&A)...", 7},
        {"N1", "-", -1},
        {"RMenuExit", "終了(&X)", 16},
    };
    const PopupMenuModel menu = BuildCommandMenu();
    ASSERT_EQ(menu.Items().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const MenuItem& item = menu.Items()[i];
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(item.Name, rows[i].name);
        EXPECT_EQ(item.Caption, rows[i].caption);
        EXPECT_EQ(item.ImageIndex, rows[i].image);
        EXPECT_EQ(item.GroupIndex, i < 5 ? 1 : 3);
        EXPECT_EQ(item.RadioItem, item.Name == "RMenuDengon" || item.Name == "RMenu3D");
        EXPECT_FALSE(item.Checked);
        EXPECT_TRUE(item.Enabled);
        EXPECT_TRUE(item.Visible);
    }
}

TEST(CommandMenu, CheckingOneSaverKindUnchecksTheOther) {
    PopupMenuModel menu = BuildCommandMenu();
    menu.SetChecked("RMenuDengon", true);
    EXPECT_TRUE(menu.IsChecked("RMenuDengon"));
    EXPECT_FALSE(menu.IsChecked("RMenu3D"));

    menu.SetChecked("RMenu3D", true);
    EXPECT_FALSE(menu.IsChecked("RMenuDengon"));
    EXPECT_TRUE(menu.IsChecked("RMenu3D"));

    menu.SetChecked("RMenu3D", false);
    EXPECT_FALSE(menu.IsChecked("RMenuDengon")) << "unchecking checks nothing else";
    EXPECT_FALSE(menu.IsChecked("RMenu3D"));

    menu.SetChecked("RMenuDengon", true);
    menu.SetChecked("RMenu3D", false);
    EXPECT_TRUE(menu.IsChecked("RMenuDengon")) << "unchecking one leaves the other";
}

TEST(CommandMenu, OptionChecksAreIndependent) {
    PopupMenuModel menu = BuildCommandMenu();
    menu.SetChecked("RMenuDengon", true);
    menu.SetChecked("RMenuAutoMenuReload", true);
    menu.SetChecked("RMenuAutoAddStringSave", true);
    menu.InvertChecked("RMenuAutoAddStringSort");
    menu.InvertChecked("RMenuAutoAddStringSave");

    for (const MenuItem& item : menu.Items()) {
        const bool expected = item.Name == "RMenuDengon" || item.Name == "RMenuAutoMenuReload" ||
                              item.Name == "RMenuAutoAddStringSort";
        EXPECT_EQ(item.Checked, expected) << item.Name;
    }
}

TEST(CommandMenu, UnknownItemThrows) {
    PopupMenuModel menu = BuildCommandMenu();
    EXPECT_THROW(menu.Item("RMenuNothing"), std::out_of_range);
    EXPECT_THROW(menu.SetChecked("rmenudengon", true), std::out_of_range) << "names are exact";
    EXPECT_THROW(static_cast<const PopupMenuModel&>(menu).Item(""), std::out_of_range);
}

}  // namespace
}  // namespace pavlune
