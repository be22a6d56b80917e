#include "lan/status_list_window.h"

#include <commctrl.h>

#include <algorithm>

#include "common/error.h"
#include "lan/local_now.h"
#include "win/controls.h"
#include "win/win_util.h"

namespace pavlune {
namespace {

constexpr const char* kWindowClassName = "TPavluneLVForm";
constexpr const char* kPanelClassName = "TPavluneLVPanel";
constexpr const char* kCaption = "自席表示一覧";
constexpr const char* kNotCreated = "自席表示一覧を作成できません";

// The main window's refresh request: it asks everybody for their state.
constexpr UINT kRefreshRequestMessage = WM_USER + 2002;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_CLIPCHILDREN;
constexpr int kClientWidth = 688;
constexpr int kClientHeight = 446;
constexpr int kPanelHeight = 28;
constexpr int kButtonWidth = 54;
constexpr int kButtonHeight = 20;

constexpr int kListViewId = 1;
constexpr int kToolBarId = 2;
constexpr int kCloseButtonId = 101;
constexpr int kRefreshButtonId = 102;

constexpr const char* kColumnCaptions[kStatusColumnCount] = {"名前", "居場所", "設定日時", "分類１", "分類２"};

constexpr const char* kInputCaption = "送付メッセージ入力";
constexpr const char* kInputPrompt = "メッセージを入力してください。";
constexpr const char* kInputDefault = "もしもし";
constexpr int kInputMaxLength = 255;

// Panel1: the strip above the list that carries the tool bar, with a raised edge.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(panel, &paint);
        RECT bounds;
        GetClientRect(panel, &bounds);
        DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);
        EndPaint(panel, &paint);
        return 0;
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}

void RegisterClasses(HINSTANCE instance, WNDPROC windowProc) {
    if (!RegisterFaceClass(instance, kWindowClassName, windowProc, LoadIconA(instance, MAKEINTRESOURCEA(1))) ||
        !RegisterFaceClass(instance, kPanelClassName, PanelProc)) {
        throw Error(kNotCreated);
    }
}

// LVITEMA wants writable text, though the list view only reads it here.
char* ItemText(const std::string& text) { return const_cast<char*>(text.c_str()); }

}  // namespace

TPavluneLVForm::TPavluneLVForm(HWND mainWindow, HINSTANCE instance, UserDialogs& dialogs,
                               std::function<std::string()> myName)
    : mainWindow_(mainWindow), instance_(instance), dialogs_(dialogs), myName_(std::move(myName)) {
    InitCommonControlClasses();
    RegisterClasses(instance_, &TPavluneLVForm::WindowProc);

    HWND created = CreateWindowExA(0, kWindowClassName, kCaption, kWindowStyle, 0, 0, 0, 0, mainWindow_, nullptr,
                                   instance_, this);
    if (!created) throw Error(kNotCreated);
    scale_ = DisplayScale::Of(window_.get());
    font_ = CreateUiFont(false, scale_);
    PlaceInScreenCentre(window_.get(), scale_(kClientWidth), scale_(kClientHeight));
    CreateControls();
    // The sending endpoint is placed with the form, so its port is taken from the start.
    udp1_ = CreateEndpoint();
}

TPavluneLVForm::~TPavluneLVForm() {
    udp1_.reset();
    window_.reset();
}

void TPavluneLVForm::CreateControls() {
    HWND panel = CreateChild({window_.get(), kPanelClassName, "", WS_CLIPCHILDREN, 0, -1,
                              scale_(Bounds(0, 0, kClientWidth, kPanelHeight)), font_.get()},
                             kNotCreated);
    CreateToolBar(panel);

    listView_ = CreateChild({window_.get(), WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                             WS_EX_CLIENTEDGE, kListViewId,
                             scale_(Bounds(0, kPanelHeight, kClientWidth, kClientHeight - kPanelHeight)), font_.get()},
                            kNotCreated);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_HEADERDRAGDROP;
    SendMessageA(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (int column = 0; column < kStatusColumnCount; ++column) {
        LVCOLUMNA format{};
        format.mask = LVCF_TEXT | LVCF_SUBITEM | LVCF_FMT;
        format.fmt = LVCFMT_LEFT;
        format.pszText = const_cast<char*>(kColumnCaptions[column]);
        format.iSubItem = column;
        SendMessageA(listView_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
    }
    SizeColumns();
}

// ToolBar1: two text buttons of a fixed size, no pictures. Its clicks come
// straight to the form. It is made in the way the common controls of
// Windows 95 and NT4 (4.00) already know: the captions are strings of the
// tool bar's own list, named by their index, and each button names picture
// 0 of a picture size of nothing (image-less buttons came with 5.81).
void TPavluneLVForm::CreateToolBar(HWND panel) {
    toolBar_ = CreateChild({panel, TOOLBARCLASSNAMEA, "", TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            0, kToolBarId, scale_(Bounds(1, 1, kClientWidth - 2, kPanelHeight - 2)), font_.get()},
                           kNotCreated);
    SendMessageA(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolBar_, TB_SETPARENT, reinterpret_cast<WPARAM>(window_.get()), 0);
    SendMessageA(toolBar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    // Each caption ends in a null, the list in one more.
    static const char kCaptions[] = "&Close\0&Refresh\0";
    const LRESULT first = SendMessageA(toolBar_, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(kCaptions));
    if (first < 0) throw Error(kNotCreated);
    TBBUTTON buttons[2] = {};
    const int ids[2] = {kCloseButtonId, kRefreshButtonId};
    for (int i = 0; i < 2; ++i) {
        buttons[i].idCommand = ids[i];
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
        buttons[i].iString = first + i;
    }
    SendMessageA(toolBar_, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(scale_(kButtonWidth), scale_(kButtonHeight)));
}

// The five columns share the list's width, whatever a scroll bar leaves of it.
void TPavluneLVForm::SizeColumns() {
    RECT client;
    GetClientRect(listView_, &client);
    const int share = client.right / kStatusColumnCount;
    for (int column = 0; column < kStatusColumnCount; ++column) {
        const int width = column + 1 < kStatusColumnCount ? share : client.right - share * (kStatusColumnCount - 1);
        SendMessageA(listView_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
    }
}

bool TPavluneLVForm::IsVisible() const { return window_ && IsWindowVisible(window_.get()); }

void TPavluneLVForm::Fill(const std::vector<StatusRow>& rows) {
    rows_ = rows;
    // The list stays in the system's name order; the last column sort is
    // remembered, so the next click on its column turns its direction.
    std::stable_sort(rows_.begin(), rows_.end(), [](const StatusRow& a, const StatusRow& b) {
        return lstrcmpA(a.Name.c_str(), b.Name.c_str()) < 0;
    });
    ShowRows();
}

void TPavluneLVForm::ShowOnTop(bool activate) {
    if (!activate) {
        SetWindowPos(window_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return;
    }
    ShowWindow(window_.get(), SW_SHOW);
    BringWindowToTop(window_.get());
    SetForegroundWindow(window_.get());
}

void TPavluneLVForm::Hide() { ShowWindow(window_.get(), SW_HIDE); }

void TPavluneLVForm::ListView1ColumnClick(int column) {
    sort_ = sort_.Click(column);
    SortRows(rows_, sort_);
    ShowRows();
}

void TPavluneLVForm::ToolButton1Click() { Close(); }

void TPavluneLVForm::ToolButton2Click() { PostMessageA(mainWindow_, kRefreshRequestMessage, 0, 0); }

void TPavluneLVForm::ListView1DblClick() {
    const int selected = SelectedIndex();
    if (selected < 0) return;
    if (!udp1_) udp1_ = CreateEndpoint();
    // The address is taken now: the list may be refilled while the user types.
    const std::string peer = rows_[static_cast<std::size_t>(selected)].PeerAddress;
    udp1_->RemoteHost = peer;
    busy_ = true;
    std::string text;
    try {
        text = dialogs_.InputBox(window_.get(), kInputCaption, kInputPrompt, kInputDefault, kInputMaxLength);
    } catch (...) {
        busy_ = false;
        throw;
    }
    busy_ = false;
    // Closing the window meanwhile released the endpoint; the message still goes.
    if (!udp1_) {
        udp1_ = CreateEndpoint();
        udp1_->RemoteHost = peer;
    }
    const std::string message = PersonalMessage(myName_(), LocalNow(), text);
    udp1_->SendBuffer(message.data(), static_cast<int>(message.size()));
}

void TPavluneLVForm::SelectRow(int index) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (index < 0) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
}

LRESULT CALLBACK TPavluneLVForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<TPavluneLVForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->window_.reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* form = reinterpret_cast<TPavluneLVForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The owner went first (the main window at shut-down) and took this window with it.
        form->window_.release();
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    WithErrorBox(form->dialogs_, window, [&] { result = form->Dispatch(message, wParam, lParam); });
    return result;
}

LRESULT TPavluneLVForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) != toolBar_) break;
            if (LOWORD(wParam) == kCloseButtonId) ToolButton1Click();
            else if (LOWORD(wParam) == kRefreshButtonId) ToolButton2Click();
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom != listView_) break;
            if (header->code == LVN_COLUMNCLICK) {
                ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            } else if (header->code == NM_DBLCLK) {
                ListView1DblClick();
            } else if (header->code == NM_CUSTOMDRAW) {
                return ListView1CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            }
            return 0;
        }
        case WM_SETFOCUS:
            if (listView_) SetFocus(listView_);
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
    }
    return DefWindowProcA(window_.get(), message, wParam, lParam);
}

// Every way of closing ends here: the window is hidden, never destroyed,
// and keeps its rows and its sort.
void TPavluneLVForm::Close() {
    FormCloseQuery();
    ShowWindow(window_.get(), SW_HIDE);
}

void TPavluneLVForm::FormCloseQuery() { udp1_.reset(); }

std::unique_ptr<TUdpEndpoint> TPavluneLVForm::CreateEndpoint() {
    auto endpoint = std::make_unique<TUdpEndpoint>(dialogs_);
    endpoint->SetLocalPort(kMessageSourcePort);
    endpoint->RemotePort = kMessagePort;
    return endpoint;
}

void TPavluneLVForm::ShowRows() {
    SendMessageA(listView_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listView_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        const StatusRow& row = rows_[index];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = ItemText(row.Name);
        const int inserted =
            static_cast<int>(SendMessageA(listView_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        const std::string cells[] = {row.Whereabouts, row.SetTime, row.Category1, row.Category2.value_or("")};
        for (int column = 1; column < kStatusColumnCount; ++column) {
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = ItemText(cells[column - 1]);
            SendMessageA(listView_, LVM_SETITEMTEXTA, inserted, reinterpret_cast<LPARAM>(&cell));
        }
    }
    SendMessageA(listView_, WM_SETREDRAW, TRUE, 0);
    SizeColumns();
    InvalidateRect(listView_, nullptr, TRUE);
}

// A row not heard from lately is drawn in the system's grey. Common
// controls before 4.70 (Windows 95 and NT4 as shipped) never ask: every row
// is then drawn alike. Only the fields those of 4.70 know are touched.
LRESULT TPavluneLVForm::ListView1CustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw.nmcd.dwItemSpec < rows_.size() &&
        rows_[draw.nmcd.dwItemSpec].Greyed) {
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    }
    return CDRF_DODEFAULT;
}

int TPavluneLVForm::SelectedIndex() const {
    const int selected =
        static_cast<int>(SendMessageA(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return selected >= 0 && static_cast<std::size_t>(selected) < rows_.size() ? selected : -1;
}

}  // namespace pavlune
