#include "app/command_menu.h"

namespace pavlune {

PopupMenuModel BuildCommandMenu() {
    struct Row {
        const char* name;
        const char* caption;
        int image;
    };
    // Top to bottom. The first five items form group 1, the rest group 3.
    static const Row rows[] = {
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
        {"RMenuFirewall", "ファイアウォールの確認(&W)...", -1},
        {"RMenuBackAtDesk", "戻ったら在席にする", -1},
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
    std::vector<MenuItem> items;
    for (const Row& row : rows) {
        MenuItem item;
        item.Name = row.name;
        item.Caption = row.caption;
        item.ImageIndex = row.image;
        item.GroupIndex = items.size() < 5 ? 1 : 3;
        item.RadioItem = item.Name == "RMenuDengon" || item.Name == "RMenu3D";
        items.push_back(std::move(item));
    }
    return PopupMenuModel(std::move(items));
}

}  // namespace pavlune
