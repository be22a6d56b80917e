#include "about/about_box.h"

#include <vector>

#include "common/error.h"
#include "win/controls.h"
#include "win/files.h"

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

SIZE TextExtent(HWND window, HFONT font, const std::string& text) {
    SIZE extent{};
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return extent;
}

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

TAboutBox::TAboutBox(HWND owner, HINSTANCE instance, UserDialogs& dialogs)
    : CodeBuiltDialog(dialogs, IDABORT, "バージョン情報を表示できません"),
      owner_(owner),
      instance_(instance),
      dialogs_(dialogs),
      font_(CreateUiFont()),
      linkFont_(CreateUiFont(true)) {}

TAboutBox::~TAboutBox() {
    if (font_) DeleteObject(font_);
    if (linkFont_) DeleteObject(linkFont_);
}

INT_PTR TAboutBox::ShowModal() {
    RegisterFaceClass(instance_, kPanelClassName, PanelProc);
    INT_PTR result = RunModal(instance_, owner_);
    if (result == -1) throw Error("バージョン情報を表示できません");
    return result;
}

bool TAboutBox::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_INITDIALOG:
            FormCreate();
            result = FALSE;  // the focus is set already
            return true;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:  // Escape and the close box answer as OK does
                    EndDialog(handle_, IDOK);
                    return true;
                case kReadMeId:
                    Button1Click();
                    EndDialog(handle_, IDOK);
                    return true;
                case kLabel3Id:
                    if (HIWORD(wParam) == STN_CLICKED) Label3Click();
                    return true;
                case kLabel4Id:
                    if (HIWORD(wParam) == STN_CLICKED) Label4Click();
                    return true;
            }
            return false;
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

void TAboutBox::FormCreate() {
    SetWindowTextA(handle_, kAboutBoxCaption);
    PlaceOnScreen(kClientWidth, kClientHeight);

    HWND panel = CreateControl(handle_, 0, kPanelClassName, "", 0, -1, Bounds(8, 8, 281, 100), nullptr);

    icon_ = UniqueIcon(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0)));
    HWND programIcon = CreateControl(panel, 0, "STATIC", "", SS_ICON, -1, Bounds(24, 15, 32, 32), nullptr);
    SendMessageA(programIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    // An icon static sizes itself to its picture; the place stays as laid out.
    SetWindowPos(programIcon, nullptr, 24, 15, 32, 32, SWP_NOZORDER | SWP_NOACTIVATE);

    CreateControl(panel, 0, "STATIC", kProductTitle, SS_CENTER | SS_NOPREFIX, -1, Bounds(86, 8, 152, 12), font_);
    CreateLabel(panel, 132, 24, "Pavlune for", font_);
    CreateLabel(panel, 84, 40, "Windows95/98/Me/NT4/2000/XP", font_);
    CreateLabel(panel, 130, 55, "Version 0.9.7", font_);
    CreateLabel(panel, 29, 67, "Support", font_);
    // The links: SS_NOTIFY makes a click arrive as STN_CLICKED.
    label3_ = CreateLabel(panel, 85, 67, kSupportWeb, linkFont_, SS_NOTIFY, kLabel3Id);
    label4_ = CreateLabel(panel, 85, 81, kSupportMail, linkFont_, SS_NOTIFY, kLabel4Id);

    HWND okButton = CreateControl(handle_, 0, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                                  Bounds(68, 112, 75, 25), font_);
    CreateControl(handle_, 0, "BUTTON", "&ReadMe", BS_PUSHBUTTON | WS_TABSTOP, kReadMeId, Bounds(156, 112, 75, 25),
                  font_);
    SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
    SetFocus(okButton);
}

// A label as wide and high as its text.
HWND TAboutBox::CreateLabel(HWND parent, int left, int top, const std::string& text, HFONT font, DWORD style,
                            int id) {
    SIZE extent = TextExtent(handle_, font, text);
    return CreateControl(parent, 0, "STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX | style, id,
                         Bounds(left, top, extent.cx, extent.cy), font);
}

void TAboutBox::Label3Click() {
    ShellExecuteA(handle_, nullptr, WindowText(label3_).c_str(), nullptr, nullptr, SW_SHOW);
}

void TAboutBox::Label4Click() {
    ShellExecuteA(handle_, nullptr, BuildMailLink(WindowText(label4_), ModuleFileName()).c_str(), nullptr, nullptr,
                  SW_SHOW);
}

void TAboutBox::Button1Click() { ShellExecuteA(handle_, nullptr, kReadMeFile, nullptr, nullptr, SW_SHOW); }

}  // namespace pavlune
