// The message saver ssmarque.scr: its settings in the current user's
// registry, and the program itself run as Windows runs it, full screen
// (/s), as a preview in a window (/p) and with its settings dialog (/c).
// PAVLUNE_MARQUEE_SAVER names the built program.
#include "marquee/marquee_motion.h"
#include "marquee/marquee_registry.h"
#include "marquee/marquee_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win_test_support.h"

namespace pavlune {
namespace {

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarqueeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void SetValue(const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kMarqueeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

void SetString(const char* name, const std::string& text) { SetValue(name, REG_SZ, text + '\0'); }

// The value as stored, terminating zero included; "<none>" when it is not a string.
std::string StoredString(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarqueeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<none>";
    char data[1024] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return "<none>";
    return std::string(data, size);
}

// A new process may take long to start on a busy machine (or one that runs
// 32-bit programs through an emulator); the deadline only keeps a broken
// saver from hanging the test.
constexpr DWORD kProcessDeadline = 180000;

// The saver program started with arguments, ended with the test at the latest.
class SaverProcess {
public:
    explicit SaverProcess(const std::string& arguments) {
        std::string program = test::Environment("PAVLUNE_MARQUEE_SAVER");
        for (char& c : program) {
            if (c == '/') c = '\\';
        }
        std::string command = "\"Z:" + program + "\" " + arguments;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process_))
            << command;
    }
    ~SaverProcess() {
        if (!process_.hProcess) return;
        if (!Ended()) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Waits for the end, handling this thread's messages meanwhile.
    bool Ended() {
        return process_.hProcess &&
               test::PumpUntil([&] { return WaitForSingleObject(process_.hProcess, 0) == 0; }, kProcessDeadline);
    }
    bool Running() const { return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

private:
    PROCESS_INFORMATION process_{};
};

HWND AwaitWindow(const char* className, const char* title) {
    HWND found = nullptr;
    // A dialog shows once it is ready for input.
    test::PumpUntil([&] { return (found = FindWindowA(className, title)) != nullptr && IsWindowVisible(found); },
                    kProcessDeadline);
    return found;
}

// The screen as it is now, one 0x00RRGGBB value a pixel, rows top down.
struct Screenshot {
    int Width = GetSystemMetrics(SM_CXSCREEN);
    int Height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<DWORD> Pixels;

    Screenshot() : Pixels(static_cast<std::size_t>(Width) * Height) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, Width, Height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const DWORD* data = static_cast<const DWORD*>(bits);
        for (std::size_t i = 0; i < Pixels.size(); ++i) Pixels[i] = data[i] & 0xFFFFFF;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    DWORD At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
    // The smallest rectangle holding every pixel of that colour; nothing when none has it.
    std::optional<RECT> BoundsOf(DWORD color) const {
        RECT bounds{Width, Height, -1, -1};
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                if (At(x, y) != color) continue;
                bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                          std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1)};
            }
        }
        if (bounds.right < 0) return std::nullopt;
        return bounds;
    }
    double ShareOf(DWORD color) const {
        std::size_t count = 0;
        for (DWORD pixel : Pixels) count += pixel == color;
        return static_cast<double>(count) / Pixels.size();
    }
};

constexpr DWORD kYellow = 0xFFFF00;  // 0x00RRGGBB as a screenshot holds it
constexpr DWORD kNavy = 0x000080;

class MarqueeSaverTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kMarqueeKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kMarqueeKey); }
};

// ---- The settings in the registry ----

TEST_F(MarqueeSaverTest, MissingKeyGivesTheDefaultsAndIsNotCreated) {
    EXPECT_EQ(ReadMarqueeSettings(), DefaultMarqueeSettings());
    EXPECT_FALSE(KeyExists());
}

TEST_F(MarqueeSaverTest, WrittenSettingsAreStringsThatReadBack) {
    const MarqueeSettings settings{"会議中(15時まで)", "ＭＳ 明朝", 36, 4, {255, 255, 0}, {0, 0, 128}, 128};
    ASSERT_TRUE(WriteMarqueeSettings(settings));
    EXPECT_EQ(StoredString("Text"), std::string("会議中(15時まで)") + '\0');
    EXPECT_EQ(StoredString("Size"), std::string("36") + '\0');
    EXPECT_EQ(StoredString("TextColor"), std::string("255 255 0") + '\0');
    EXPECT_EQ(ReadMarqueeSettings(), settings);
}

TEST_F(MarqueeSaverTest, ValuesOfOtherTypesOrMalformedGiveTheirDefaults) {
    SetValue("Text", REG_BINARY, "abc");
    SetValue("Size", REG_DWORD, std::string("\x24\0\0\0", 4));
    SetString("Speed", "fast");
    SetString("TextColor", "300 0 0");
    SetString("Font", "");
    SetString("BackgroundColor", "0 0 128");
    const MarqueeSettings defaults = DefaultMarqueeSettings();
    MarqueeSettings settings = ReadMarqueeSettings();
    EXPECT_EQ(settings.Text, defaults.Text);
    EXPECT_EQ(settings.Size, defaults.Size);
    EXPECT_EQ(settings.Speed, defaults.Speed);
    EXPECT_EQ(settings.TextColor, defaults.TextColor);
    EXPECT_EQ(settings.Font, defaults.Font);
    EXPECT_EQ(settings.BackgroundColor, (MarqueeColor{0, 0, 128})) << "the good ones are kept";
}

// ---- The program ----

// Opens the system's choice behind a button of the settings dialog, makes
// it with choose(choice) and takes it with OK.
void Choose(HWND box, const char* button, const std::function<void(HWND choice)>& choose) {
    HWND clicked = FindWindowExA(box, nullptr, "Button", button);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(clicked), BN_CLICKED), reinterpret_cast<LPARAM>(clicked));
    HWND choice = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] {
        do choice = FindWindowExA(nullptr, choice, "#32770", nullptr);
        while (choice && GetWindow(choice, GW_OWNER) != box);
        return choice && IsWindowVisible(choice);
    })) << button;
    choose(choice);
    PostMessageA(choice, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(choice); })) << button;
}

// Fills the red, green and blue fields of the colour choice.
std::function<void(HWND)> Colour(MarqueeColor colour) {
    const int fields[] = {colour.Red, colour.Green, colour.Blue};
    return [=](HWND choice) { for (int i = 0; i < 3; ++i) SetDlgItemInt(choice, 706 + i, fields[i], FALSE); };
}

TEST_F(MarqueeSaverTest, SettingsDialogCreatesTheKeyWithEveryValue) {
    SaverProcess saver("/c");
    HWND box = AwaitWindow("#32770", "伝言板の設定");
    ASSERT_NE(box, nullptr);
    HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    SetWindowTextA(field, "昼食中");
    MarqueeSettings expected = DefaultMarqueeSettings();
    expected.Text = "昼食中";
    expected.TextColor = {255, 0, 255};
    expected.BackgroundColor = {0, 128, 0};
    expected.Size = 36;
    Choose(box, "文字の色(&C)...", Colour(expected.TextColor));
    Choose(box, "背景の色(&B)...", Colour(expected.BackgroundColor));
    Choose(box, "フォント(&F)...", [&](HWND choice) {  // 36 points, in the script the choice shows
        HWND size = GetDlgItem(choice, 0x472);
        SendMessageA(size, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("36"));
        SendMessageA(choice, WM_COMMAND, MAKEWPARAM(0x472, CBN_SELCHANGE), reinterpret_cast<LPARAM>(size));
        const LRESULT script = SendDlgItemMessageA(choice, 0x474, CB_GETCURSEL, 0, 0);
        expected.CharSet = static_cast<int>(
            script == CB_ERR ? DEFAULT_CHARSET : SendDlgItemMessageA(choice, 0x474, CB_GETITEMDATA, script, 0));
    });
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(saver.Ended());

    EXPECT_EQ(ReadMarqueeSettings(), expected);
    for (const auto& [name, value] : FormatMarqueeSettings(expected)) {
        EXPECT_EQ(StoredString(name), value + '\0') << name;
    }
}

TEST_F(MarqueeSaverTest, SettingsDialogCancelledWritesNothing) {
    SaverProcess saver("");  // no switch: the settings too
    HWND box = AwaitWindow("#32770", "伝言板の設定");
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(saver.Ended());
    EXPECT_FALSE(KeyExists());
}

TEST_F(MarqueeSaverTest, PreviewFillsTheGivenWindowAndEndsWithIt) {
    HWND frame = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    SaverProcess saver("/p " + std::to_string(reinterpret_cast<UINT_PTR>(frame)));
    HWND preview = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (preview = FindWindowExA(frame, nullptr, nullptr, nullptr)) != nullptr; },
                                kProcessDeadline));
    EXPECT_EQ(test::PlaceInParent(preview), (test::Place{0, 0, 152, 112}));

    DestroyWindow(frame);
    EXPECT_TRUE(saver.Ended()) << "the preview ends with its window";
}

// Wine shows nothing that a program draws in a child of another program's
// window, so what the preview draws is seen with the view in this process.
TEST_F(MarqueeSaverTest, PreviewDrawsOnlyInsideTheGivenWindow) {
    HWND frame = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 152,
                                 112, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    MarqueeSettings settings = DefaultMarqueeSettings();
    settings.BackgroundColor = {0, 0, 128};
    MarqueeView view(GetModuleHandleA(nullptr), MarqueeView::Role::Preview);
    view.Apply(settings);
    RECT area{};
    GetClientRect(frame, &area);
    ASSERT_TRUE(view.Create(frame, area));
    EXPECT_TRUE(test::PumpUntil([] {
        Screenshot screen;
        return screen.At(102, 102) == kNavy && screen.At(249, 209) == kNavy && screen.At(99, 99) != kNavy &&
               screen.At(252, 212) != kNavy;
    })) << "the preview's background fills the window and no more";
    DestroyWindow(frame);
}

// How wide a text is drawn in a face at a size, as the saver draws it.
LONG TextWidth(const MarqueeSettings& look, const std::string& face) {
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(look.Size, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_BOLD, FALSE,
                             FALSE, FALSE, static_cast<BYTE>(look.CharSet), 0, 0, 0, 0, face.c_str());
    HGDIOBJ previous = SelectObject(screen, font);
    SIZE extent{};
    GetTextExtentPoint32A(screen, look.Text.c_str(), static_cast<int>(look.Text.size()), &extent);
    DeleteObject(SelectObject(screen, previous));
    ReleaseDC(nullptr, screen);
    return extent.cx;
}

TEST_F(MarqueeSaverTest, FullScreenScrollsTheStoredLookLeftAndEndsOnAKey) {
    // A fixed-pitch face: in the default one the same text has another width.
    const MarqueeSettings look{"iiiiiiiiiiii", "IPAGothic", 36, 3, {255, 255, 0}, {0, 0, 128}, 128};
    const LONG width = TextWidth(look, look.Font);
    ASSERT_GT(std::abs(width - TextWidth(look, DefaultMarqueeSettings().Font)), width / 4) << "faces alike";
    ASSERT_TRUE(WriteMarqueeSettings(look));
    SaverProcess saver("/s");
    HWND screen = AwaitWindow("PavluneMarquee", nullptr);
    ASSERT_NE(screen, nullptr);
    RECT area{};
    GetWindowRect(screen, &area);
    EXPECT_EQ(area.right - area.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(area.bottom - area.top, GetSystemMetrics(SM_CYSCREEN));

    // The text enters on the right and moves left: two pictures four seconds
    // apart with all of it on the screen (a new pass starts again on the right),
    // so that a late picture on a busy machine is a small part of the time.
    std::optional<std::pair<RECT, DWORD>> first;
    double pixelsPerSecond = 0;
    LONG shownWidth = 0;
    double navyShare = 0;
    EXPECT_TRUE(test::PumpUntil(
        [&] {
            const DWORD tick = GetTickCount();
            Screenshot shot;
            const std::optional<RECT> text = shot.BoundsOf(kYellow);
            // Off the edges by more than the gap between two letters.
            if (!text || text->left < width / 4 || text->right > shot.Width - width / 4) return false;
            if (!first || text->left >= first->first.left) first.emplace(*text, tick);
            if (tick - first->second < 4000) return false;
            pixelsPerSecond = (first->first.left - text->left) * 1000.0 / (tick - first->second);
            shownWidth = text->right - text->left;
            navyShare = shot.ShareOf(kNavy);
            return true;
        },
        60000))
        << "no yellow text moving left";
    EXPECT_NEAR(shownWidth, width, width / 8) << "drawn in another face or size";
    EXPECT_NEAR(pixelsPerSecond, PixelsPerSecond(look.Speed), PixelsPerSecond(look.Speed) / 3) << "another speed";
    EXPECT_GT(navyShare, 0.5) << "another background";

    SaverProcess second("/s");
    EXPECT_TRUE(second.Ended()) << "a second start leaves the running saver alone";
    EXPECT_TRUE(saver.Running());

    PostMessageA(screen, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(saver.Ended());
}

TEST_F(MarqueeSaverTest, FullScreenEndsOnARealMouseMoveOrAClick) {
    SaverProcess saver("/s");
    HWND screen = AwaitWindow("PavluneMarquee", nullptr);
    ASSERT_NE(screen, nullptr);
    // The first report is where the mouse stands; a few pixels are a shaking desk.
    POINT at{};
    GetCursorPos(&at);
    PostMessageA(screen, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    PostMessageA(screen, WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 3, at.y - 2));
    test::PumpFor(1000);
    EXPECT_TRUE(saver.Running());
    PostMessageA(screen, WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 40, at.y));
    EXPECT_TRUE(saver.Ended());

    SaverProcess clicked("/s");
    screen = AwaitWindow("PavluneMarquee", nullptr);
    ASSERT_NE(screen, nullptr);
    PostMessageA(screen, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_TRUE(clicked.Ended());
}

}  // namespace
}  // namespace pavlune
