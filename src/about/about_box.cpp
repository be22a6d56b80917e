#include "about/about_box.h"

#include <vector>

#include "common/error.h"
#include "win/controls.h"
#include "win/files.h"
#include "win/win_util.h"

namespace pavlune {
namespace {

// The product's title. "Pavlune for" follows on the line below, so the name
// is not repeated here, and the title fits its one-line field.
constexpr const char* kProductTitle = "スクリーンセーバー伝言板";
constexpr const char* kSupportWeb = "https://pavlune.example.jp/";
constexpr const char* kSupportMail = "support@pavlune.example.jp";
constexpr const char* kReadMeFile = "Pavlune1st.txt";
constexpr const char* kPanelClassName = "TAboutBoxPanel";

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 146;

constexpr int kReadMeId = 101;
constexpr int kLabel3Id = 103;
constexpr int kLabel4Id = 104;

// Panel1: the bevelled frame around the texts. The labels on it are its
// children, so their clicks and colour questions arrive here and are passed
// on to the box.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
            return SendMessageA(GetParent(panel), message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(panel, &paint);
            RECT bounds;
            GetClientRect(panel, &bounds);
            DrawEdge(dc, &bounds, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
            EndPaint(panel, &paint);
            return 0;
        }
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}


}  // namespace

std::string ReadVersionString(const std::string& path, const std::string& name) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    // One byte more than the block, left zero: a string at the block's very
    // end that lacks its terminator still ends inside the buffer.
    std::vector<char> block(static_cast<std::size_t>(size) + 1, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};

    struct Translation {
        WORD Language;
        WORD CodePage;
    };
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &found, &length) || !found ||
        length < sizeof(Translation)) {
        return {};
    }
    const auto* first = static_cast<const Translation*>(found);
    char table[32];
    wsprintfA(table, "\\StringFileInfo\\%04X%04X\\", first->Language, first->CodePage);

    std::string query = table + name;
    char* text = nullptr;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return {};
    return text;
}

std::string BuildMailLink(const std::string& address, const std::string& exePath) {
    return "mailto:" + address + "?Subject=about Pavlune Ver" + ReadVersionString(exePath, "FileVersion");
}

TAboutBox::TAboutBox(HWND owner, HINSTANCE instance, UserDialogs& dialogs, std::string programFolder)
    : CodeBuiltDialog(instance, dialogs, IDABORT, "バージョン情報を表示できません"),
      owner_(owner),
      programFolder_(std::move(programFolder)) {}

INT_PTR TAboutBox::ShowModal() {
    RegisterFaceClass(instance_, kPanelClassName, PanelProc);
    INT_PTR result = RunModal(owner_);
    if (result == -1) throw Error("バージョン情報を表示できません");
    return result;
}

// Escape and the close box answer as OK does.
void TAboutBox::OnCancel() { EndDialog(handle_, IDOK); }

void TAboutBox::OnCommand(int id, int notification) {
    if (id == kReadMeId) {
        Button1Click();
        EndDialog(handle_, IDOK);
    } else if (id == kLabel3Id && notification == STN_CLICKED) {
        Label3Click();
    } else if (id == kLabel4Id && notification == STN_CLICKED) {
        Label4Click();
    }
}

bool TAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
            if (!IsLink(reinterpret_cast<HWND>(lParam))) return false;
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        case WM_SETCURSOR: {
            if (!IsLink(reinterpret_cast<HWND>(wParam)) || LOWORD(lParam) != HTCLIENT) return false;
            // Windows 95 and NT4 have no hand cursor; the arrow stays there.
            HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
            if (!hand) return false;
            SetCursor(hand);
            SetWindowLongPtrA(handle_, DWLP_MSGRESULT, TRUE);
            result = TRUE;
            return true;
        }
    }
    return false;
}

void TAboutBox::OnInit() {
    SetWindowTextA(handle_, kAboutBoxCaption);
    font_ = CreateUiFont(false, scale_);
    linkFont_ = CreateUiFont(true, scale_);
    PlaceOnScreen(kClientWidth, kClientHeight);

    HWND panel = CreateControl(handle_, kPanelClassName, "", 0, -1, Bounds(8, 8, 281, 100), nullptr);

    const RECT iconPlace = scale_(Bounds(24, 15, 32, 32));
    const int iconSize = iconPlace.right - iconPlace.left;
    icon_ = UniqueIcon(
        static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(1), IMAGE_ICON, iconSize, iconSize, 0)));
    HWND programIcon = CreateControl(panel, "STATIC", "", SS_ICON, -1, Bounds(24, 15, 32, 32), nullptr);
    SendMessageA(programIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    // An icon static sizes itself to its picture; the place stays as laid out.
    SetWindowPos(programIcon, nullptr, iconPlace.left, iconPlace.top, iconSize, iconSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    CreateControl(panel, "STATIC", kProductTitle, SS_CENTER | SS_NOPREFIX, -1, Bounds(86, 8, 152, 12), font_.get());
    CreateLabel(panel, 132, 24, "Pavlune for", font_.get());
    CreateLabel(panel, 84, 40, "Windows95/98/Me/NT4/2000/XP", font_.get());
    CreateLabel(panel, 130, 55, "Version 0.9.7", font_.get());
    CreateLabel(panel, 29, 67, "Support", font_.get());
    // The links: SS_NOTIFY makes a click arrive as STN_CLICKED.
    label3_ = CreateLabel(panel, 85, 67, kSupportWeb, linkFont_.get(), SS_NOTIFY, kLabel3Id);
    label4_ = CreateLabel(panel, 85, 81, kSupportMail, linkFont_.get(), SS_NOTIFY, kLabel4Id);

    HWND okButton = CreateControl(handle_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                                  Bounds(68, 112, 75, 25), font_.get());
    CreateControl(handle_, "BUTTON", "&ReadMe", BS_PUSHBUTTON | WS_TABSTOP, kReadMeId, Bounds(156, 112, 75, 25),
                  font_.get());
    SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
    SetFocus(okButton);
}

// A label as wide and high as its text.
HWND TAboutBox::CreateLabel(HWND parent, int left, int top, const std::string& text, HFONT font, DWORD style,
                            int id) {
    SIZE extent = TextExtent(handle_, font, text);
    return CreateControl(parent, "STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX | style, id,
                         Bounds(left, top, scale_.Unscale(extent.cx), scale_.Unscale(extent.cy)), font);
}

void TAboutBox::Label3Click() { OpenWithShell(handle_, WindowText(label3_)); }

void TAboutBox::Label4Click() { OpenWithShell(handle_, BuildMailLink(WindowText(label4_), ModuleFileName())); }

// The ReadMe lives beside the program, whatever folder the program was started from.
void TAboutBox::Button1Click() { OpenWithShell(handle_, programFolder_ + kReadMeFile); }

}  // namespace pavlune
