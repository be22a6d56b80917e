// The command menu of a right click on the tray icon, and the check marks
// that hold the program's options.
#include "app/command_menu.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace pavlune {
namespace {

// One item as the menu shows it when the program starts: name, caption,
// group, picture (-1: none), and "radio" for the saver kinds.
using Row = std::tuple<std::string, std::string, int, int, std::string>;

TEST(CommandMenu, ItemsTopToBottomUncheckedEnabledAndShown) {
    const std::vector<Row> expected = {
        {"RMenuStartScreenSaver", "スクリーンセーバースタート", 1, 13, ""},
        {"RMenuScreenSaverDisabled", "スクリーンセーバーの無効化", 1, 8, ""},
        {"RScreenSaverConfig", "スクリーンセーバーの設定(&D)...", 1, 1, ""},
        {"N5", "-", 1, -1, ""},
        {"RMenuReload", "メニューリロード(&R)", 1, 4, ""},
        {"RMenuOpenStringTable", "定義ファイルを開く(&O)", 3, 2, ""},
        {"RMenuOpenAddStringsFile", "付加文字定義ファイルを開く(&F)", 3, 3, ""},
        {"RMenuMarqueeSaverConfig", "伝言用スクリーンセーバーの設定(&C)...", 3, 10, ""},
        {"N6", "-", 3, -1, ""},
        {"RMenuAutoMenuReload", "自動メニューリロード", 3, 5, ""},
        {"RMenuAutoAddStringSort", "付加文字自動並べ替え", 3, 11, ""},
        {"RMenuAutoAddStringSave", "付加文字自動保存", 3, 12, ""},
        {"RMenuScreenSaverJack", "スクリーンセーバーのっとり", 3, -1, ""},
        {"N7", "-", 3, -1, ""},
        {"N8", "他の人の状況表示", 3, -1, ""},
        {"N9", "最新情報の取得", 3, -1, ""},
        {"RMenuFirewall", "ファイアウォールの確認(&W)...", 3, -1, ""},
        {"RMenuBackAtDesk", "戻ったら在席にする", 3, -1, ""},
        {"N4", "-", 3, -1, ""},
        {"RMenuPasswordEnabled", "パスワード有効(&E)", 3, 6, ""},
        {"RMenuPasswordChange", "パスワードの変更(&P)...", 3, 9, ""},
        {"N3", "-", 3, -1, ""},
        {"RMenuDengon", "伝言板", 3, 14, "radio"},
        {"RMenu3D", "３D", 3, 15, "radio"},
        {"N2", "-", 3, -1, ""},
        {"RMenuAbout", "Pavluneについて(&A)...", 3, 7, ""},
        {"N1", "-", 3, -1, ""},
        {"RMenuExit", "終了(&X)", 3, 16, ""},
    };
    const PopupMenuModel menu = BuildCommandMenu();
    std::vector<Row> actual;
    for (const MenuItem& item : menu.Items()) {
        actual.push_back({item.Name, item.Caption, item.GroupIndex, item.ImageIndex, item.RadioItem ? "radio" : ""});
        EXPECT_TRUE(!item.Checked && item.Enabled && item.Visible && item.Items.empty()) << item.Name;
    }
    EXPECT_EQ(actual, expected);
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
