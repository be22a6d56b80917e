// The about box against the real system. This test program carries the
// resources of Pavlune.exe (icon, version block and manifest), so it stands
// in for the program; run at two screen scales, it also measures every
// window of the program at both. The box is modal: each test looks at it and closes it from a timer
// that runs inside the box's own message loop.
#include "about/about_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/main_form.h"
#include "app/name_dialog.h"
#include "lan/status_list_window.h"
#include "menu/add_string_dialog.h"
#include "win/files.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;
using test::ScriptedDialogs;
using test::WriteFileBytes;
using test::FontOf;
using test::Place;
using test::PlaceInParent;
using test::Text;

constexpr const char* kProductTitle = "スクリーンセーバー伝言板";
constexpr const char* kWebAddress = "https://pavlune.example.jp/";
constexpr const char* kMailAddress = "support@pavlune.example.jp";

// ---- The mail link and the version block -----------------------------------

// A copy of this program with all its resources taken out, the version
// block with them.
void CopyWithoutResources(const std::string& copy) {
    ASSERT_TRUE(CopyFileA(ModuleFileName().c_str(), copy.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(copy.c_str(), TRUE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

TEST(MailLinkTest, SubjectEndsInTheProgramsFileVersion) {
    EXPECT_EQ(BuildMailLink(kMailAddress, ModuleFileName()),
              "mailto:support@pavlune.example.jp?Subject=about Pavlune Ver0.9.7.300");
}

TEST(MailLinkTest, VersionBlockIsReadFromAnyPathAlsoWithJapaneseNames) {
    ScratchFolder folder;
    std::string copy = folder.Path("伝言板ソフト.exe");
    ASSERT_TRUE(CopyFileA(ModuleFileName().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(ReadVersionString(copy, "FileVersion"), "0.9.7.300");
    EXPECT_EQ(ReadVersionString(copy, "ProductName"), "スクリーンセーバー伝言板 Pavlune");
    EXPECT_EQ(BuildMailLink("a@b.example", copy), "mailto:a@b.example?Subject=about Pavlune Ver0.9.7.300");
}

TEST(MailLinkTest, ProgramWithoutVersionBlockLeavesTheSubjectEndingInVer) {
    ScratchFolder folder;
    std::string copy = folder.Path("Pavlune.exe");
    ASSERT_NO_FATAL_FAILURE(CopyWithoutResources(copy));
    DWORD ignored = 0;
    ASSERT_EQ(GetFileVersionInfoSizeA(copy.c_str(), &ignored), 0u) << "the copy still has a version block";
    EXPECT_EQ(BuildMailLink(kMailAddress, copy), "mailto:support@pavlune.example.jp?Subject=about Pavlune Ver");
}

TEST(MailLinkTest, FileThatIsNoProgramOrIsMissingLeavesTheSubjectEndingInVer) {
    ScratchFolder folder;
    WriteFileBytes(folder.Path("notes.exe"), "これはプログラムではありません\r\n");
    EXPECT_EQ(BuildMailLink(kMailAddress, folder.Path("notes.exe")),
              "mailto:support@pavlune.example.jp?Subject=about Pavlune Ver");
    EXPECT_EQ(BuildMailLink(kMailAddress, folder.Path("missing.exe")),
              "mailto:support@pavlune.example.jp?Subject=about Pavlune Ver");
}

TEST(MailLinkTest, StringMissingFromTheTableIsEmpty) {
    EXPECT_EQ(ReadVersionString(ModuleFileName(), "Comments"), "");
    EXPECT_EQ(ReadVersionString(ModuleFileName(), "FileVersio"), "");
}

// ---- The box on the screen -------------------------------------------------

// The size of the control's text, or of that text, drawn in its font.
SIZE TextExtentIn(HWND control, std::string text = {}) {
    if (text.empty()) text = Text(control);
    SIZE extent{};
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent;
}

// The colours of one row of a window as it is on the screen.
std::vector<COLORREF> PixelRow(HWND window, int y) {
    RECT client;
    GetClientRect(window, &client);
    std::vector<COLORREF> row;
    HDC dc = GetDC(window);
    for (int x = 0; x < client.right; ++x) row.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return row;
}

int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour) {
    int count = 0;
    for (COLORREF pixel : pixels) count += pixel == colour;
    return count;
}

// Every window inside the box, the panel's children included.
std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        found.push_back(child);
        for (HWND inner : Descendants(child)) found.push_back(inner);
    }
    return found;
}

// A control anywhere in the box, found by its text.
HWND FindControl(HWND box, const std::string& text) {
    for (HWND control : Descendants(box)) {
        if (Text(control) == text) return control;
    }
    return nullptr;
}

std::vector<HWND> ControlsWithText(HWND box) {
    std::vector<HWND> found;
    for (HWND control : Descendants(box)) {
        if (GetWindowTextLengthA(control) > 0) found.push_back(control);
    }
    return found;
}

bool IsLinkText(const std::string& text) { return text == kWebAddress || text == kMailAddress; }

void Repaint(HWND box) {
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}


class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "Pavlune", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }

    void TearDown() override {
        DestroyWindow(owner_);
        for (const auto& shown : dialogs_.Messages) ADD_FAILURE() << "message box: " << shown.Text;
    }

    // Shows the box; once it is on the screen, look runs on it. look must
    // close the box (or make it close).
    INT_PTR Show(std::function<void(HWND box)> look, const std::string& programFolder = "C:\\") {
        INT_PTR result = 0;
        auto show = [&] {
            result = TAboutBox(owner_, GetModuleHandleA(nullptr), dialogs_, programFolder).ShowModal();
        };
        EXPECT_TRUE(test::WatchModal(kAboutBoxCaption, look, show, 0)) << "the box never showed";
        return result;
    }


    static void Click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }

    HWND owner_ = nullptr;
    ScriptedDialogs dialogs_;
};

TEST_F(AboutBoxTest, ModalBoxOfTheRightSizeInTheMiddleOfTheScreen) {
    INT_PTR result = Show([&](HWND box) {
        EXPECT_EQ(Text(box), "Pavlune バージョン情報");
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner_);
        EXPECT_FALSE(IsWindowEnabled(owner_)) << "the owner waits while the box is open";

        LONG style = GetWindowLongA(box, GWL_STYLE);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

        test::ExpectClientSizeInTheMiddle(box, 298, 146);

        Click(GetDlgItem(box, IDOK));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(FindWindowA(nullptr, kAboutBoxCaption), nullptr) << "the box is gone once it is closed";
}

TEST_F(AboutBoxTest, ElementsSitWhereLaidOut) {
    Show([&](HWND box) {
        HWND panel = GetParent(FindControl(box, "Support"));
        ASSERT_NE(panel, box) << "the texts sit on a panel";
        EXPECT_EQ(GetParent(panel), box);
        EXPECT_EQ(PlaceInParent(panel), (Place{8, 8, 281, 100}));

        HWND programIcon = FindWindowExA(panel, nullptr, "Static", "");
        ASSERT_NE(programIcon, nullptr);
        EXPECT_EQ(PlaceInParent(programIcon), (Place{24, 15, 32, 32}));
        HICON icon = reinterpret_cast<HICON>(SendMessageA(programIcon, STM_GETICON, 0, 0));
        ICONINFO info{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << "the program's icon is shown";
        BITMAP colour{};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, 32);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);

        HWND productName = FindControl(box, kProductTitle);
        ASSERT_NE(productName, nullptr);
        EXPECT_EQ(GetParent(productName), panel);
        EXPECT_EQ(PlaceInParent(productName), (Place{86, 8, 152, 12}));

        struct Label {
            const char* Text;
            int Left, Top;
        };
        for (const Label& label : {Label{"Pavlune for", 132, 24}, Label{"Windows95/98/Me/NT4/2000/XP", 84, 40},
                                   Label{"Version 0.9.7", 130, 55}, Label{"Support", 29, 67},
                                   Label{kWebAddress, 85, 67}, Label{kMailAddress, 85, 81}}) {
            SCOPED_TRACE(label.Text);
            HWND control = FindControl(box, label.Text);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(GetParent(control), panel);
            // A label sizes itself to its text: only its corner is laid out,
            // and none of the text may be cut off.
            Place place = PlaceInParent(control);
            SIZE extent = TextExtentIn(control);
            EXPECT_TRUE(place.Left == label.Left && place.Top == label.Top && place.Width >= extent.cx &&
                        place.Height >= extent.cy && extent.cx > 0)
                << place;
        }

        HWND okButton = GetDlgItem(box, IDOK);
        ASSERT_NE(okButton, nullptr);
        EXPECT_EQ(Text(okButton), "OK");
        EXPECT_EQ(PlaceInParent(okButton), (Place{68, 112, 75, 25}));
        EXPECT_EQ(LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_EQ(GetFocus(), okButton);

        HWND readMe = FindControl(box, "&ReadMe");
        ASSERT_NE(readMe, nullptr);
        EXPECT_EQ(GetParent(readMe), box);
        EXPECT_EQ(PlaceInParent(readMe), (Place{156, 112, 75, 25}));

        Click(okButton);
    });
}

TEST_F(AboutBoxTest, TextsUseTwelvePixelGothicAndOnlyTheLinksAreUnderlined) {
    Show([&](HWND box) {
        std::vector<HWND> controls = ControlsWithText(box);
        EXPECT_EQ(controls.size(), 2u + 7u) << "two buttons and seven labels";
        for (HWND control : controls) {
            SCOPED_TRACE(Text(control));
            LOGFONTA font = FontOf(control);
            EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
            EXPECT_EQ(std::abs(font.lfHeight), 12);
            EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
            EXPECT_EQ(font.lfUnderline != 0, IsLinkText(Text(control)));
        }
        Click(GetDlgItem(box, IDOK));
    });
}

TEST_F(AboutBoxTest, PanelHasARaisedInnerAndALoweredOuterBevel) {
    Show([&](HWND box) {
        HWND panel = GetParent(FindControl(box, "Support"));
        Repaint(box);
        COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
        ASSERT_NE(shadow, light);
        // The lowered outer line is dark above and left, light below and
        // right; the raised inner line is the reverse.
        std::vector<COLORREF> top = PixelRow(panel, 0), belowTop = PixelRow(panel, 1);
        std::vector<COLORREF> aboveBottom = PixelRow(panel, 98), bottom = PixelRow(panel, 99);
        std::vector<COLORREF> middle = PixelRow(panel, 4);  // above the texts
        EXPECT_EQ(top[140], shadow);
        EXPECT_EQ(belowTop[140], light);
        EXPECT_EQ(aboveBottom[140], shadow);
        EXPECT_EQ(bottom[140], light);
        ASSERT_EQ(middle.size(), 281u);
        EXPECT_EQ(middle[0], shadow);
        EXPECT_EQ(middle[1], light);
        EXPECT_EQ(middle[279], shadow);
        EXPECT_EQ(middle[280], light);
        Click(GetDlgItem(box, IDOK));
    });
}

TEST_F(AboutBoxTest, LinksAreDrawnBlueWithAnUnderline) {
    Show([&](HWND box) {
        Repaint(box);
        const COLORREF blue = RGB(0, 0, 255);
        for (const char* text : {kWebAddress, kMailAddress, "Support", "Version 0.9.7"}) {
            SCOPED_TRACE(text);
            HWND label = FindControl(box, text);
            ASSERT_NE(label, nullptr);
            RECT client;
            GetClientRect(label, &client);
            int bluePixels = 0;
            int longestBlueRow = 0;
            for (int y = 0; y < client.bottom; ++y) {
                int inRow = CountColour(PixelRow(label, y), blue);
                bluePixels += inRow;
                longestBlueRow = std::max(longestBlueRow, inRow);
            }
            if (IsLinkText(text)) {
                EXPECT_GT(bluePixels, 0);
                EXPECT_GE(longestBlueRow, client.right * 9 / 10) << "an underline runs under the whole text";
            } else {
                EXPECT_EQ(bluePixels, 0);
            }
        }
        Click(GetDlgItem(box, IDOK));
    });
}

TEST_F(AboutBoxTest, HandCursorOverTheLinksOnly) {
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);
    Show([&](HWND box) {
        for (const char* text : {kWebAddress, kMailAddress, "Support"}) {
            SCOPED_TRACE(text);
            HWND label = FindControl(box, text);
            ASSERT_NE(label, nullptr);
            // What the system sends when the mouse moves over the label.
            SetCursor(nullptr);
            SendMessageA(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(GetCursor() == hand, IsLinkText(text));
        }
        Click(GetDlgItem(box, IDOK));
    });
}

TEST_F(AboutBoxTest, EnterAndEscapeCloseWithOk) {
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key);
        INT_PTR result = Show([&](HWND box) {
            HWND focus = GetFocus();
            EXPECT_EQ(GetParent(focus), box);
            PostMessageA(focus, WM_KEYDOWN, key, 1);
            PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        });
        EXPECT_EQ(result, IDOK);
    }
}

// A click on a link, as the mouse gives it; the link opens on the press.
void ClickLink(HWND box, HWND link) {
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(IsWindowVisible(box)) << "a link leaves the box open";
}

TEST_F(AboutBoxTest, WebLinkOpensTheAddress) {
    ScratchFolder records;
    std::string record = records.Path("opened.txt");
    ASSERT_NO_FATAL_FAILURE(test::RecordShellOpen("https", record));
    Show([&](HWND box) {
        ClickLink(box, FindControl(box, kWebAddress));
        Click(GetDlgItem(box, IDOK));
    });
    EXPECT_EQ(test::AwaitRecordedLine(record), kWebAddress);
}

TEST_F(AboutBoxTest, MailLinkOpensAMailWithTheFileVersionInItsSubject) {
    ScratchFolder records;
    std::string record = records.Path("opened.txt");
    ASSERT_NO_FATAL_FAILURE(test::RecordShellOpen("mailto", record));
    Show([&](HWND box) {
        ClickLink(box, FindControl(box, kMailAddress));
        Click(GetDlgItem(box, IDOK));
    });
    EXPECT_EQ(test::AwaitRecordedLine(record), "mailto:support@pavlune.example.jp?Subject=about Pavlune Ver0.9.7.300");
}

// ---- Every window at the screen's scale ---------------------------------------

// Where every window inside the window sits, a line each, for the run at
// 96 dpi to keep and the run at another scale to compare.
std::string LayoutOf(HWND window) {
    std::ostringstream lines;
    for (HWND control : Descendants(window)) {
        char className[64] = "";
        GetClassNameA(control, className, sizeof className);
        const Place at = PlaceInParent(control);
        lines << className << ' ' << at.Left << ' ' << at.Top << ' ' << at.Width << ' ' << at.Height << '\n';
    }
    return lines.str();
}

// The window is laid out for 96 dpi and grown with the screen; every text in
// it, a tool bar's captions too, is 12 pixels high at 96 dpi, grown alike,
// and fits its room.
void ExpectGrownAndWhole(HWND window, SIZE laidOut, int dpi, std::string& layout) {
    layout += LayoutOf(window);
    RECT room;
    GetClientRect(window, &room);
    EXPECT_EQ(room.right, MulDiv(laidOut.cx, dpi, 96));
    EXPECT_EQ(room.bottom, MulDiv(laidOut.cy, dpi, 96));
    for (HWND control : Descendants(window)) {
        char className[64] = "";
        GetClassNameA(control, className, sizeof className);
        const bool toolBar = lstrcmpiA(className, TOOLBARCLASSNAMEA) == 0;
        const int count = toolBar ? static_cast<int>(SendMessageA(control, TB_BUTTONCOUNT, 0, 0)) : 1;
        for (int index = 0; index < count && (toolBar || GetWindowTextLengthA(control) > 0); ++index) {
            char caption[64] = "";
            SendMessageA(control, WM_USER + 92, MAKEWPARAM(sizeof caption, index), reinterpret_cast<LPARAM>(caption));
            const std::string text = toolBar ? caption : Text(control);
            SCOPED_TRACE(text);
            GetClientRect(control, &room);
            if (toolBar) SendMessageA(control, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&room));
            const SIZE extent = TextExtentIn(control, text);
            EXPECT_EQ(std::abs(FontOf(control).lfHeight), MulDiv(12, dpi, 96));
            EXPECT_TRUE(room.right - room.left >= extent.cx && room.bottom - room.top >= extent.cy) << "cut off";
        }
    }
    test::SaveWindowPicture(window, Text(window) + " " + std::to_string(dpi));
}

// Run at 96 dpi it keeps where every window inside each window sits in
// PAVLUNE_LAYOUT; run at another scale, every one of them must sit there grown.
TEST_F(AboutBoxTest, EveryWindowGrowsWithTheScreensScaleAndCutsNoText) {
    const std::string prefixDpi = test::Environment("PAVLUNE_WINE_DPI");
    const int dpi = prefixDpi.empty() ? 96 : std::atoi(prefixDpi.c_str());
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the prefix's LogPixels is the screen's scale";
    ReleaseDC(nullptr, screen);
    auto cancel = [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); };
    std::string layout;

    Show([&](HWND box) {
        ExpectGrownAndWhole(box, SIZE{298, 146}, dpi, layout);
        cancel(box);
    });
    ScratchFolder folder;
    WriteFileBytes(folder.Path("Pavlune.2.txt"), "15時戻り\r\n");
    TPavluneAddStringDialog phrases(owner_, GetModuleHandleA(nullptr), dialogs_, folder.Path(""), "Pavlune.2.txt",
                                    false, false);
    test::WatchModal(
        kAddStringDialogCaption, [&](HWND box) { ExpectGrownAndWhole(box, SIZE{229, 91}, dpi, layout); cancel(box); },
        [&] { phrases.ShowModal(); }, IDCANCEL);
    Win32Dialogs dialogs;
    test::WatchModal(
        "送付メッセージ入力", [&](HWND box) { ExpectGrownAndWhole(box, SIZE{270, 97}, dpi, layout); cancel(box); },
        [&] { dialogs.InputBox(owner_, "送付メッセージ入力", "メッセージを入力してください。", "もしもし", 255); },
        IDCANCEL);
    test::WatchModal(
        kNameDialogCaption, [&](HWND box) { ExpectGrownAndWhole(box, SIZE{300, 159}, dpi, layout); cancel(box); },
        [&] { NameDialog(dialogs).Ask(owner_); }, IDCANCEL);

    std::string saver = test::PathOnZ("PAVLUNE_MARQUEE_SAVER") + " /c";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION settings{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, saver.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &settings));
    HWND box = nullptr;
    auto shown = [&] { return (box = FindWindowA("#32770", "伝言板の設定")) != nullptr && IsWindowVisible(box); };
    ASSERT_TRUE(test::PumpUntil(shown, 60000)) << "the message saver's settings did not show";
    layout += LayoutOf(box);
    cancel(box);
    EXPECT_EQ(WaitForSingleObject(settings.hProcess, 60000), WAIT_OBJECT_0);
    for (HANDLE handle : {settings.hThread, settings.hProcess}) CloseHandle(handle);

    WSADATA sockets;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &sockets), 0);
    {
        TPavluneLVForm statusList(owner_, GetModuleHandleA(nullptr), dialogs_, [] { return std::string(); });
        statusList.ShowOnTop(true);
        ExpectGrownAndWhole(statusList.Handle(), SIZE{688, 446}, dpi, layout);
        // The menus' pictures grow as well, and the tray's, as it goes to the shell.
        RegisterMainFormClass(GetModuleHandleA(nullptr));
        WriteFileBytes(folder.Path("Pavlune.TXT"), "会議中\r\n");
        ScriptedDialogs startUp;  // a prefix without a saver says so at each start
        TPavluneMainForm form({GetModuleHandleA(nullptr), folder.Path("Pavlune.exe"), startUp, startUp});
        int pictureSize = 0;
        ImageList_GetIconSize(form.MessageMenu().Images(), &pictureSize, &pictureSize);
        // Explorer restarted, then the scale changed (the icon still there): back, at the scale as it is then.
        ASSERT_TRUE(test::PumpUntil([&] { return form.Tray().Shown(); }));
        NOTIFYICONDATAA gone = form.Tray().Record(false);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
        for (int time : {1, 2}) SendMessageA(form.Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, time);
        EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &gone) && form.Tray().Shown()) << "the icon is not back";
        ICONINFO tray{};
        BITMAP trayPicture{};
        ASSERT_TRUE(GetIconInfo(form.Tray().Record(true).hIcon, &tray));
        GetObjectA(tray.hbmColor, sizeof trayPicture, &trayPicture);
        EXPECT_EQ(pictureSize, MulDiv(16, dpi, 96));
        EXPECT_EQ(trayPicture.bmWidth, MulDiv(16, dpi, 96)) << "the tray's picture";
        form.FormDestroy();
    }
    WSACleanup();

    const std::string kept = test::PathOnZ("PAVLUNE_LAYOUT");
    if (dpi == 96) return WriteFileBytes(kept, layout);
    std::istringstream at96(ReadFileBytes(kept)), now(layout);
    std::string class96, className;
    int count = 0;
    for (int p96[4], p[4]; at96 >> class96 >> p96[0] >> p96[1] >> p96[2] >> p96[3]; ++count) {
        ASSERT_TRUE(now >> className >> p[0] >> p[1] >> p[2] >> p[3]) << "fewer windows than at 96 dpi";
        EXPECT_EQ(className, class96) << count;
        for (int i = 0; i < 4; ++i) {  // a text's own size grows not quite in step
            EXPECT_NEAR(p[i], MulDiv(p96[i], dpi, 96), 2 + MulDiv(p96[i], dpi, 96) / 10) << className << " " << count;
        }
    }
    EXPECT_GT(count, 30) << "nothing kept at 96 dpi";
}

}  // namespace
}  // namespace pavlune
