// The message saver kind lives in the radio pair 伝言板 / ３D; the chosen one
// shows the picture 17.
#include "saver/saver_kind.h"

#include <gtest/gtest.h>

#include "app/command_menu.h"

namespace pavlune {
namespace {

struct KindItems {
    bool dengonChecked;
    int dengonImage;
    bool text3dChecked;
    int text3dImage;
};

KindItems Read(const PopupMenuModel& menu) {
    return {menu.Item("RMenuDengon").Checked, menu.Item("RMenuDengon").ImageIndex,
            menu.Item("RMenu3D").Checked, menu.Item("RMenu3D").ImageIndex};
}

void ExpectKind(const PopupMenuModel& menu, KindItems expected) {
    KindItems actual = Read(menu);
    EXPECT_EQ(actual.dengonChecked, expected.dengonChecked);
    EXPECT_EQ(actual.dengonImage, expected.dengonImage);
    EXPECT_EQ(actual.text3dChecked, expected.text3dChecked);
    EXPECT_EQ(actual.text3dImage, expected.text3dImage);
}

TEST(SaverKind, ClicksSwitchChecksAndPictures) {
    PopupMenuModel menu = BuildCommandMenu();

    RMenu3DClick(menu);
    ExpectKind(menu, {false, 14, true, 17});

    RMenuDengonClick(menu);
    ExpectKind(menu, {true, 17, false, 15});

    RMenuDengonClick(menu);
    ExpectKind(menu, {true, 17, false, 15});

    RMenu3DClick(menu);
    ExpectKind(menu, {false, 14, true, 17});
}

TEST(SaverKind, OtherItemsUntouched) {
    PopupMenuModel menu = BuildCommandMenu();
    menu.SetChecked("RMenuScreenSaverJack", true);
    RMenu3DClick(menu);
    RMenuDengonClick(menu);
    EXPECT_TRUE(menu.IsChecked("RMenuScreenSaverJack"));
    EXPECT_EQ(menu.Item("RMenuExit").ImageIndex, 16);
}

}  // namespace
}  // namespace pavlune
