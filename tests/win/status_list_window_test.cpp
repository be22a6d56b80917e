// The status list window and the input box against the real system. The
// window is driven as the mouse drives it: header clicks, tool bar buttons and
// double-clicks arrive as mouse messages to the controls. Personal messages go
// by unicast to 127.0.0.1 and are read by a socket of the test's own; that
// nothing was sent is shown with a marker datagram sent afterwards.
#include "lan/status_list_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "win_test_support.h"

namespace pavlune {
namespace {

using test::PumpMessages;
using test::ScriptedDialogs;
using test::FontOf;
using test::Place;
using test::PlaceInParent;
using test::Text;

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kMarker = "marker";
constexpr UINT kRefreshRequest = 3026;

std::optional<std::string> NoCategory2() { return std::nullopt; }

StatusRow Row(const char* name, const char* whereabouts, const char* setTime, const char* category1,
              std::optional<std::string> category2, const char* peer = kLoopback) {
    return {name, whereabouts, setTime, category1, std::move(category2), peer};
}

// ---- Reading the window ------------------------------------------------------

void ExpectListFont(HWND control) {
    LOGFONTA font = FontOf(control);
    EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(std::abs(font.lfHeight), 12);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
}

HWND ListViewOf(HWND window) { return FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr); }

HWND ToolBarOf(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (HWND found = FindWindowExA(child, nullptr, TOOLBARCLASSNAMEA, nullptr)) return found;
    }
    return nullptr;
}

std::string CellText(HWND list, int item, int column) {
    char text[512] = "";
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&cell));
    return text;
}

using Lines = std::vector<std::vector<std::string>>;

// Every cell of the list as it shows, top to bottom.
Lines ShownCells(HWND list) {
    Lines lines;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        std::vector<std::string> line;
        for (int column = 0; column < kStatusColumnCount; ++column) line.push_back(CellText(list, item, column));
        lines.push_back(line);
    }
    return lines;
}

// One column of the list as it shows, top to bottom.
std::vector<std::string> ShownColumn(HWND list, int column) {
    std::vector<std::string> cells;
    for (const auto& line : ShownCells(list)) cells.push_back(line[static_cast<std::size_t>(column)]);
    return cells;
}

std::vector<std::string> RowNames(const std::vector<StatusRow>& rows) {
    std::vector<std::string> names;
    for (const StatusRow& row : rows) names.push_back(row.Name);
    return names;
}

// ---- Driving the window as the mouse does -------------------------------------

void Click(HWND control, POINT at) {
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void DoubleClick(HWND control, POINT at) {
    Click(control, at);
    SendMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

POINT Middle(const RECT& bounds) { return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2}; }

// A click on the header of the column shown at position (0 = leftmost).
void ClickHeaderAt(HWND list, int position) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int index = static_cast<int>(SendMessageA(header, HDM_ORDERTOINDEX, position, 0));
    RECT bounds{};
    ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds)));
    Click(header, Middle(bounds));
}

POINT ItemMiddle(HWND list, int item) {
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&bounds));
    return Middle(bounds);
}

void ClickToolButton(HWND toolBar, int index) {
    RECT bounds{};
    ASSERT_TRUE(SendMessageA(toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds)));
    Click(toolBar, Middle(bounds));
}

// ---- The other end of a personal message ---------------------------------------

struct Datagram {
    std::string Bytes;
    std::string FromIp;
    int FromPort = 0;
};

// A socket bound to 127.0.0.1 on the message port: what a colleague's
// Pavlune would hear.
class MessagePort {
public:
    MessagePort() {
        socket_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local = Address(kLoopback, kMessagePort);
        EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << WSAGetLastError();
    }
    ~MessagePort() { closesocket(socket_); }
    MessagePort(const MessagePort&) = delete;
    MessagePort& operator=(const MessagePort&) = delete;

    // The next datagram, waiting at most ten seconds; the deadline only keeps
    // a broken window from hanging the test.
    std::optional<Datagram> Next() {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval deadline{10, 0};
        if (select(0, &readable, nullptr, nullptr, &deadline) != 1) return std::nullopt;
        char buffer[4096];
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int count =
            recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (count < 0) return std::nullopt;
        return Datagram{std::string(buffer, static_cast<std::size_t>(count)), inet_ntoa(from.sin_addr),
                        ntohs(from.sin_port)};
    }

    // True when the next datagram is a marker sent now: nothing came before it.
    bool NothingArrived() {
        SOCKET sender = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to = Address(kLoopback, kMessagePort);
        sendto(sender, kMarker, 6, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        closesocket(sender);
        std::optional<Datagram> next = Next();
        EXPECT_TRUE(next) << "the marker did not arrive";
        if (next && next->Bytes != kMarker) ADD_FAILURE() << "sent: " << next->Bytes;
        return next && next->Bytes == kMarker;
    }

    static sockaddr_in Address(const char* ip, int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr(ip);
        address.sin_port = htons(static_cast<u_short>(port));
        return address;
    }

private:
    SOCKET socket_;
};

// Whether a socket of this test can take the port the window sends from.
bool SourcePortIsFree() {
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kMessageSourcePort);
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
    closesocket(probe);
    return bound;
}

// "yyyy/mm/dd hh:nn" of a moment, written out here for comparison.
std::string MinuteStampOf(const SYSTEMTIME& time) {
    char text[32];
    wsprintfA(text, "%04d/%02d/%02d %02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute);
    return text;
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// ---- The main window stand-in ------------------------------------------------------

std::vector<MSG> ownerMessages;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) ownerMessages.push_back(MSG{window, message, wParam, lParam, 0, {}});
    return DefWindowProcA(window, message, wParam, lParam);
}

class StatusListWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        WNDCLASSEXA recording{};
        recording.cbSize = sizeof recording;
        recording.lpfnWndProc = RecordingProc;
        recording.hInstance = GetModuleHandleA(nullptr);
        recording.lpszClassName = "StatusListTestMain";
        RegisterClassExA(&recording);
    }
    static void TearDownTestSuite() { WSACleanup(); }

    void SetUp() override {
        ownerMessages.clear();
        owner_ = CreateWindowExA(0, "StatusListTestMain", "Pavlune", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        form_ = std::make_unique<TPavluneLVForm>(owner_, GetModuleHandleA(nullptr), dialogs_,
                                                 [this] { return myName_; });
        list_ = ListViewOf(form_->Handle());
        toolBar_ = ToolBarOf(form_->Handle());
        ASSERT_NE(list_, nullptr);
        ASSERT_NE(toolBar_, nullptr);
    }

    void TearDown() override {
        form_.reset();
        DestroyWindow(owner_);
        PumpMessages();
        for (const auto& shown : dialogs_.Messages) ADD_FAILURE() << "message box: " << shown.Text;
    }

    // An office of five, in the order the table heard them.
    static std::vector<StatusRow> Office() {
        return {
            Row("さとう", "外出", "2002/01/21 10:30:00", "営業部", NoCategory2()),
            Row("Brown", "会議中", "2002/01/21 09:05:07", "開発部", "2課"),
            Row("イトウ", "在席", "2002/01/20 17:45:12", "総務部", ""),
            Row("adams", "帰宅", "2002/01/21 08:59:59", "開発部", "1課"),
            Row("かとう", "会議中", "2002/01/22 13:00:00", "営業部", "1課"),
        };
    }

    void ExpectSort(int column, bool descending) {
        EXPECT_EQ(form_->SortState().Column, column);
        EXPECT_EQ(form_->SortState().Descending, descending);
    }

    ScriptedDialogs dialogs_;
    std::string myName_ = "山田\\開発部\\2課";
    HWND owner_ = nullptr;
    std::unique_ptr<TPavluneLVForm> form_;
    HWND list_ = nullptr;
    HWND toolBar_ = nullptr;
};

// ---- The window ------------------------------------------------------------------

TEST_F(StatusListWindowTest, FixedSizeWindowOwnedByTheMainWindowInTheMiddleOfTheDesktop) {
    HWND window = form_->Handle();
    EXPECT_EQ(Text(window), "自席表示一覧");
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner_);
    EXPECT_FALSE(form_->IsVisible()) << "the window waits hidden until it is opened";

    form_->ShowOnTop(true);
    EXPECT_TRUE(form_->IsVisible());
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_CHILD | WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    test::ExpectClientSizeInTheMiddle(window, 688, 446);
    RECT frame;
    GetWindowRect(window, &frame);

    // The edge of the frame offers no handle to drag.
    for (POINT edge : {POINT{frame.right - 1, frame.bottom - 1}, POINT{frame.left, (frame.top + frame.bottom) / 2}}) {
        LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y));
        EXPECT_TRUE(hit == HTBORDER || hit == HTNOWHERE) << "hit test " << hit;
    }
}

TEST_F(StatusListWindowTest, ToolBarPanelOnTopAndTheListFillingTheRest) {
    HWND panel = GetParent(toolBar_);
    ASSERT_NE(panel, form_->Handle()) << "the tool bar sits on a panel";
    EXPECT_EQ(GetParent(panel), form_->Handle());
    EXPECT_EQ(PlaceInParent(panel), (Place{0, 0, 688, 28}));
    RECT toolBarBounds;
    GetWindowRect(toolBar_, &toolBarBounds);
    RECT panelBounds;
    GetWindowRect(panel, &panelBounds);
    EXPECT_GE(toolBarBounds.top, panelBounds.top);
    EXPECT_LE(toolBarBounds.bottom, panelBounds.bottom) << "the tool bar stays inside its panel";

    ASSERT_EQ(SendMessageA(toolBar_, TB_BUTTONCOUNT, 0, 0), 2);
    const char* captions[] = {"&Close", "&Refresh"};
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(captions[index]);
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageA(toolBar_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)));
        char caption[64] = "";
        SendMessageA(toolBar_, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(caption));
        EXPECT_STREQ(caption, captions[index]);
        // The caption is a string of the tool bar's own list, named by its
        // index, as every version of the common controls reads it
        // (TB_GETSTRINGA, 5.80 and later, reads the list back).
        char listed[64] = "";
        SendMessageA(toolBar_, WM_USER + 92, MAKEWPARAM(sizeof listed, button.iString), reinterpret_cast<LPARAM>(listed));
        EXPECT_STREQ(listed, captions[index]);
        RECT bounds{};
        SendMessageA(toolBar_, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds));
        EXPECT_EQ(bounds.right - bounds.left, 54);
        EXPECT_EQ(bounds.bottom - bounds.top, 20);
    }
    ExpectListFont(toolBar_);

    EXPECT_EQ(PlaceInParent(list_), (Place{0, 28, 688, 418}));
    LONG style = GetWindowLongA(list_, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(style & (LVS_SINGLESEL | LVS_SHOWSELALWAYS), LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    EXPECT_EQ(style & (LVS_EDITLABELS | LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER), 0);
    const DWORD extended = static_cast<DWORD>(SendMessageA(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    const DWORD wanted = LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_HEADERDRAGDROP;
    EXPECT_EQ(extended & wanted, wanted);
    ExpectListFont(list_);
}

TEST_F(StatusListWindowTest, FiveColumnsInOrderShareTheWidth) {
    const char* captions[] = {"名前", "居場所", "設定日時", "分類１", "分類２"};
    for (bool manyRows : {false, true}) {
        SCOPED_TRACE(manyRows ? "with a scroll bar" : "without a scroll bar");
        std::vector<StatusRow> rows;
        for (int i = 0; manyRows && i < 60; ++i) {
            rows.push_back(Row(("社員" + std::to_string(100 + i)).c_str(), "在席", "2002/01/21 09:00:00", "開発部",
                               NoCategory2()));
        }
        form_->Fill(rows);
        RECT client;
        GetClientRect(list_, &client);
        int total = 0;
        for (int column = 0; column < 5; ++column) {
            char caption[64] = "";
            LVCOLUMNA format{};
            format.mask = LVCF_TEXT | LVCF_WIDTH;
            format.pszText = caption;
            format.cchTextMax = sizeof caption;
            ASSERT_TRUE(SendMessageA(list_, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&format)));
            EXPECT_STREQ(caption, captions[column]);
            EXPECT_GE(format.cx, client.right / 5 - 1) << captions[column];
            total += format.cx;
        }
        EXPECT_EQ(total, client.right) << "all five columns fit the visible width";
    }
}

TEST_F(StatusListWindowTest, EmptyTableShowsAnEmptyList) {
    form_->Fill({});
    form_->ShowOnTop(true);
    EXPECT_TRUE(form_->Rows().empty());
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 0);
}

// ---- Filling and sorting ---------------------------------------------------------

TEST_F(StatusListWindowTest, FillShowsCopiesOfTheRowsInTheSystemsNameOrder) {
    std::vector<StatusRow> table = Office();
    table[1].Greyed = true;  // Brown, shown second
    form_->Fill(table);
    table[0].Name = "かわった";  // the window keeps its own copies

    // The system's collation: Latin letters before kana, letter case and the
    // kind of kana only break ties; not the order of the bytes.
    EXPECT_EQ(RowNames(form_->Rows()), (std::vector<std::string>{"adams", "Brown", "イトウ", "かとう", "さとう"}));
    EXPECT_EQ(ShownCells(list_), (Lines{
                                      {"adams", "帰宅", "2002/01/21 08:59:59", "開発部", "1課"},
                                      {"Brown", "会議中", "2002/01/21 09:05:07", "開発部", "2課"},
                                      {"イトウ", "在席", "2002/01/20 17:45:12", "総務部", ""},
                                      {"かとう", "会議中", "2002/01/22 13:00:00", "営業部", "1課"},
                                      {"さとう", "外出", "2002/01/21 10:30:00", "営業部", ""},
                                  }));
    EXPECT_FALSE(form_->Rows()[4].Category2) << "an absent category 2 stays absent";
    EXPECT_EQ(form_->Rows()[0].PeerAddress, kLoopback);
    ExpectSort(-1, false);

    // Read from the screen: Brown's darkest point is adams's (smoothed alike) turned to the system's grey.
    form_->ShowOnTop(true);
    UpdateWindow(list_);
    int darkest[2] = {255, 255};
    HDC dc = GetDC(list_);
    for (int item : {0, 1}) {
        RECT label{LVIR_LABEL, 0, 0, 0};
        SendMessageA(list_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&label));
        for (int x = label.left; x < label.right; ++x) {  // the middle line crosses every stem
            darkest[item] = std::min<int>(darkest[item], GetGValue(GetPixel(dc, x, (label.top + label.bottom) / 2)));
        }
    }
    ReleaseDC(list_, dc);
    ASSERT_LT(darkest[0], 200) << "no text drawn";
    EXPECT_NEAR(darkest[1], 255 - (255 - darkest[0]) * (255 - GetGValue(GetSysColor(COLOR_GRAYTEXT))) / 255, 8);
}

TEST_F(StatusListWindowTest, HeaderClicksSortAscendingThenDescendingThenAscending) {
    form_->Fill(Office());
    form_->ShowOnTop(true);

    ClickHeaderAt(list_, 1);
    ExpectSort(1, false);
    EXPECT_EQ(ShownColumn(list_, 1), (std::vector<std::string>{"会議中", "会議中", "外出", "帰宅", "在席"}));
    ClickHeaderAt(list_, 1);
    ExpectSort(1, true);
    EXPECT_EQ(ShownColumn(list_, 1), (std::vector<std::string>{"在席", "帰宅", "外出", "会議中", "会議中"}));
    ClickHeaderAt(list_, 1);
    ExpectSort(1, false);
    EXPECT_EQ(ShownColumn(list_, 1), (std::vector<std::string>{"会議中", "会議中", "外出", "帰宅", "在席"}));

    ClickHeaderAt(list_, 2);
    ExpectSort(2, false);
    EXPECT_EQ(ShownColumn(list_, 0), (std::vector<std::string>{"イトウ", "adams", "Brown", "さとう", "かとう"}));
    EXPECT_EQ(RowNames(form_->Rows()), ShownColumn(list_, 0)) << "the rows are kept in the order shown";
}

TEST_F(StatusListWindowTest, ColumnMovedByDraggingKeepsItsOwnIndexForSorting) {
    form_->Fill(Office());
    form_->ShowOnTop(true);
    int order[kStatusColumnCount] = {3, 0, 1, 2, 4};  // 分類１ dragged to the front
    ASSERT_TRUE(SendMessageA(list_, LVM_SETCOLUMNORDERARRAY, kStatusColumnCount, reinterpret_cast<LPARAM>(order)));

    ClickHeaderAt(list_, 0);
    ExpectSort(3, false);
    EXPECT_EQ(ShownColumn(list_, 3), (std::vector<std::string>{"営業部", "営業部", "開発部", "開発部", "総務部"}));
    ClickHeaderAt(list_, 1);
    ExpectSort(0, false);
    EXPECT_EQ(ShownColumn(list_, 0), (std::vector<std::string>{"adams", "Brown", "かとう", "さとう", "イトウ"}));
}

TEST_F(StatusListWindowTest, RefillReturnsToNameOrderAndTheNextClickTurnsTheLastSort) {
    form_->Fill(Office());
    form_->ListView1ColumnClick(4);
    ExpectSort(4, false);

    form_->Fill(Office());
    ExpectSort(4, false);
    EXPECT_EQ(ShownColumn(list_, 0), (std::vector<std::string>{"adams", "Brown", "イトウ", "かとう", "さとう"}));

    // Not ascending again, although the list no longer shows that sort.
    form_->ListView1ColumnClick(4);
    ExpectSort(4, true);
    EXPECT_EQ(ShownColumn(list_, 4), (std::vector<std::string>{"2課", "1課", "1課", "", ""}));
    EXPECT_FALSE(form_->Rows().back().Category2) << "the row without category 2 comes last";
}

TEST_F(StatusListWindowTest, RowsWithoutCategory2ComeFirstAscendingAndLastDescending) {
    std::vector<StatusRow> rows = {
        Row("a", "在席", "2002/01/21 09:00:00", "開発部", "2課"),
        Row("b", "在席", "2002/01/21 09:00:00", "開発部", NoCategory2()),
        Row("c", "在席", "2002/01/21 09:00:00", "開発部", ""),
        Row("d", "在席", "2002/01/21 09:00:00", "開発部", "1課"),
        Row("e", "在席", "2002/01/21 09:00:00", "開発部", NoCategory2()),
    };
    form_->Fill(rows);

    // b and e have none; the order between the two is free.
    form_->ListView1ColumnClick(4);
    std::vector<std::string> ascending = RowNames(form_->Rows());
    EXPECT_EQ(std::vector<std::string>(ascending.begin() + 2, ascending.end()),
              (std::vector<std::string>{"c", "d", "a"}));
    EXPECT_FALSE(form_->Rows()[0].Category2);
    EXPECT_FALSE(form_->Rows()[1].Category2);
    EXPECT_EQ(ShownColumn(list_, 4), (std::vector<std::string>{"", "", "", "1課", "2課"}));

    form_->ListView1ColumnClick(4);
    std::vector<std::string> descending = RowNames(form_->Rows());
    EXPECT_EQ(std::vector<std::string>(descending.begin(), descending.begin() + 3),
              (std::vector<std::string>{"a", "d", "c"}));
    EXPECT_FALSE(form_->Rows()[3].Category2);
    EXPECT_FALSE(form_->Rows()[4].Category2);
    EXPECT_EQ(ShownColumn(list_, 0), descending);
}

TEST_F(StatusListWindowTest, WhereaboutsDifferingOnlyInLetterCaseSortTogether) {
    form_->Fill({
        Row("a", "lunch", "2002/01/21 12:00:00", "開発部", NoCategory2()),
        Row("b", "Meeting", "2002/01/21 12:00:00", "開発部", NoCategory2()),
        Row("c", "LUNCH", "2002/01/21 12:00:00", "開発部", NoCategory2()),
    });
    form_->ListView1ColumnClick(1);
    std::vector<std::string> shown = ShownColumn(list_, 1);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(lstrcmpiA(shown[0].c_str(), "lunch"), 0);
    EXPECT_EQ(lstrcmpiA(shown[1].c_str(), "lunch"), 0);
    EXPECT_EQ(shown[2], "Meeting");
}

// ---- Close and Refresh -------------------------------------------------------------

TEST_F(StatusListWindowTest, CloseButtonHidesTheWindowWhichKeepsItsRowsAndSort) {
    form_->Fill(Office());
    form_->ListView1ColumnClick(1);
    form_->ShowOnTop(true);
    const std::vector<std::string> names = RowNames(form_->Rows());

    ClickToolButton(toolBar_, 0);
    EXPECT_FALSE(form_->IsVisible());
    EXPECT_TRUE(IsWindow(form_->Handle())) << "hidden, not destroyed";
    EXPECT_EQ(RowNames(form_->Rows()), names);
    EXPECT_EQ(ShownColumn(list_, 0), names);
    ExpectSort(1, false);

    form_->ShowOnTop(true);
    EXPECT_TRUE(form_->IsVisible()) << "the same window opens again";
    EXPECT_EQ(ShownColumn(list_, 0), names);
}

TEST_F(StatusListWindowTest, ARefillRaisesTheListWithoutTakingTheKeyboard) {
    form_->Fill(Office());
    HWND other = CreateWindowExA(0, "EDIT", "typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    test::PumpMessages();
    ASSERT_EQ(GetForegroundWindow(), other);
    form_->ShowOnTop(false);  // a colleague's news
    test::PumpMessages();
    EXPECT_TRUE(IsWindowVisible(form_->Handle()));
    EXPECT_EQ(GetForegroundWindow(), other) << "the refill took the keyboard";
    form_->ShowOnTop(true);  // 他の人の状況表示
    test::PumpMessages();
    EXPECT_EQ(GetForegroundWindow(), form_->Handle());
    DestroyWindow(other);
}

TEST_F(StatusListWindowTest, CloseBoxHidesTheWindowToo) {
    form_->Fill(Office());
    form_->ShowOnTop(true);
    SendMessageA(form_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form_->IsVisible());
    EXPECT_TRUE(IsWindow(form_->Handle()));
    EXPECT_EQ(form_->Rows().size(), 5u);
    PumpMessages();
    EXPECT_TRUE(IsWindow(form_->Handle()));
}

TEST_F(StatusListWindowTest, SendingPortIsHeldFromCreationUntilTheWindowCloses) {
    EXPECT_FALSE(SourcePortIsFree()) << "the window takes its sending port when it is made";
    form_->ShowOnTop(true);
    ClickToolButton(toolBar_, 0);
    EXPECT_TRUE(SourcePortIsFree()) << "closing releases it";
}

TEST_F(StatusListWindowTest, RefreshAsksTheMainWindowForFreshStatesAndKeepsTheRows) {
    form_->Fill(Office());
    form_->ShowOnTop(true);
    ClickToolButton(toolBar_, 1);
    EXPECT_TRUE(ownerMessages.empty()) << "the request is posted, not sent";
    PumpMessages();
    ASSERT_EQ(ownerMessages.size(), 1u);
    EXPECT_EQ(ownerMessages[0].hwnd, owner_);
    EXPECT_EQ(ownerMessages[0].message, kRefreshRequest);
    EXPECT_EQ(ownerMessages[0].wParam, 0u);
    EXPECT_EQ(ownerMessages[0].lParam, 0);
    EXPECT_TRUE(form_->IsVisible());
    EXPECT_EQ(form_->Rows().size(), 5u);
}

// ---- Personal messages ---------------------------------------------------------------

TEST_F(StatusListWindowTest, DoubleClickWithoutASelectedRowAsksAndSendsNothing) {
    MessagePort colleague;
    form_->Fill(Office());
    form_->ShowOnTop(true);
    RECT client;
    GetClientRect(list_, &client);
    DoubleClick(list_, POINT{client.right / 2, client.bottom - 10});  // below the last row
    ASSERT_EQ(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0), 0);

    form_->SelectRow(2);
    form_->SelectRow(-1);
    form_->ListView1DblClick();

    EXPECT_TRUE(dialogs_.Inputs.empty());
    EXPECT_TRUE(colleague.NothingArrived());
}

TEST_F(StatusListWindowTest, DoubleClickOnARowSendsTheTypedMessageToThatColleague) {
    MessagePort colleague;
    std::vector<StatusRow> rows = Office();
    for (StatusRow& row : rows) row.PeerAddress = row.Name == "かとう" ? kLoopback : "127.0.0.2";
    form_->Fill(rows);
    form_->ShowOnTop(true);
    dialogs_.InputReplies = {"会議室へ来てください"};

    const SYSTEMTIME before = LocalNow();
    DoubleClick(list_, ItemMiddle(list_, 3));  // かとう
    const SYSTEMTIME after = LocalNow();

    ASSERT_EQ(dialogs_.Inputs.size(), 1u);
    EXPECT_EQ(dialogs_.Inputs[0].Caption, "送付メッセージ入力");
    EXPECT_EQ(dialogs_.Inputs[0].Prompt, "メッセージを入力してください。");
    EXPECT_EQ(dialogs_.Inputs[0].DefaultText, "もしもし");
    EXPECT_EQ(dialogs_.Inputs[0].MaxLength, 255);

    std::optional<Datagram> message = colleague.Next();
    ASSERT_TRUE(message) << "no personal message arrived";
    EXPECT_EQ(message->FromIp, kLoopback);
    EXPECT_EQ(message->FromPort, kMessageSourcePort);
    const std::string head = "山田\n<<";
    const std::string tail = ">>\n会議室へ来てください";
    ASSERT_EQ(message->Bytes.size(), head.size() + 16 + tail.size()) << message->Bytes;
    EXPECT_EQ(message->Bytes.substr(0, head.size()), head);
    EXPECT_EQ(message->Bytes.substr(head.size() + 16), tail);
    const std::string stamp = message->Bytes.substr(head.size(), 16);
    EXPECT_TRUE(stamp == MinuteStampOf(before) || stamp == MinuteStampOf(after)) << stamp;
}

TEST_F(StatusListWindowTest, CancelSendsTheDefaultText) {
    MessagePort colleague;
    myName_ = "鈴木\\総務部";
    form_->Fill({Row("山田", "会議中", "2002/01/21 09:05:07", "開発部", "2課")});
    form_->SelectRow(0);
    form_->ListView1DblClick();

    ASSERT_EQ(dialogs_.Inputs.size(), 1u);
    std::optional<Datagram> message = colleague.Next();
    ASSERT_TRUE(message);
    ASSERT_GE(message->Bytes.size(), 8u);
    EXPECT_EQ(message->Bytes.substr(0, 7), "鈴木\n<<");
    EXPECT_EQ(message->Bytes.substr(message->Bytes.size() - 11), ">>\nもしもし");
}

TEST_F(StatusListWindowTest, MyNameWithoutBackslashSendsAnEmptySenderName) {
    MessagePort colleague;
    myName_ = "山田";
    form_->Fill({Row("佐藤", "外出", "2002/01/21 10:30:00", "営業部", NoCategory2())});
    form_->SelectRow(0);
    dialogs_.InputReplies = {"了解"};
    form_->ListView1DblClick();

    std::optional<Datagram> message = colleague.Next();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Bytes.substr(0, 3), "\n<<");
    EXPECT_EQ(message->Bytes.substr(message->Bytes.size() - 7), ">>\n了解");
}

// A user who types while the list changes under the dialog, or who closes
// the list meanwhile.
class BusyDialogs : public ScriptedDialogs {
public:
    std::function<void()> WhileOpen;
    std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                         const std::string& defaultText, int maxLength) override {
        if (WhileOpen) WhileOpen();
        return ScriptedDialogs::InputBox(owner, caption, prompt, defaultText, maxLength);
    }
};

TEST_F(StatusListWindowTest, MessageGoesToTheRowSelectedAtTheDoubleClickEvenIfTheListChangesOrCloses) {
    BusyDialogs busy;
    form_.reset();  // its endpoint would keep the new window from its port
    form_ = std::make_unique<TPavluneLVForm>(owner_, GetModuleHandleA(nullptr), busy, [this] { return myName_; });
    list_ = ListViewOf(form_->Handle());
    MessagePort colleague;
    form_->Fill({Row("山田", "会議中", "2002/01/21 09:05:07", "開発部", "2課", kLoopback)});
    form_->ShowOnTop(true);
    busy.WhileOpen = [&] {
        // The colleague moved: the list now points elsewhere, and then the
        // window is closed, which releases its endpoint.
        form_->Fill({Row("山田", "外出", "2002/01/21 09:30:00", "開発部", "2課", "127.0.0.2")});
        form_->ToolButton1Click();
    };
    busy.InputReplies = {"至急"};
    form_->SelectRow(0);
    form_->ListView1DblClick();

    std::optional<Datagram> message = colleague.Next();
    ASSERT_TRUE(message) << "the message went to the address the list showed when it was double-clicked";
    EXPECT_EQ(message->Bytes.substr(message->Bytes.size() - 7), ">>\n至急");
    EXPECT_EQ(message->FromPort, kMessageSourcePort);
    EXPECT_TRUE(busy.Messages.empty());
}

TEST_F(StatusListWindowTest, AfterACloseTheNextMessageTakesTheSendingPortAgain) {
    MessagePort colleague;
    form_->Fill(Office());
    form_->ShowOnTop(true);
    ClickToolButton(toolBar_, 0);
    ASSERT_TRUE(SourcePortIsFree());

    form_->ShowOnTop(true);
    form_->SelectRow(0);
    form_->ListView1DblClick();
    std::optional<Datagram> message = colleague.Next();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->FromPort, kMessageSourcePort);
    EXPECT_FALSE(SourcePortIsFree()) << "the new endpoint holds the port until the next close";
}

TEST_F(StatusListWindowTest, SendErrorIsShownInTheErrorBoxAndTheWindowStays) {
    MessagePort colleague;
    form_->Fill({Row("山田", "会議中", "2002/01/21 09:05:07", "開発部", "2課", "0.0.0.0")});
    form_->ShowOnTop(true);
    DoubleClick(list_, ItemMiddle(list_, 0));

    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "Null Remote Address.");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    dialogs_.Messages.clear();
    EXPECT_TRUE(form_->IsVisible());
    EXPECT_EQ(form_->Rows().size(), 1u);
    EXPECT_TRUE(colleague.NothingArrived());
}

// ---- The real input box ------------------------------------------------------------------

constexpr const char* kCaption = "送付メッセージ入力";
constexpr const char* kPrompt = "メッセージを入力してください。";

// What the timer does while a test shows the input box: it runs the test's
// look once the box is on the screen, and ends a box that does not appear or
// does not close, so a fault fails the test instead of hanging it.
struct BoxWatch {
    std::function<void(HWND box)>* Look = nullptr;
    bool Looked = false;
    DWORD Since = 0;
};
BoxWatch watch;

void CALLBACK OnBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
    constexpr DWORD kPatience = 10000;
    HWND box = FindWindowA(nullptr, kCaption);
    const bool timeUp = GetTickCount() - watch.Since > kPatience;
    if (!watch.Looked && box && IsWindowVisible(box)) {
        watch.Looked = true;
        watch.Since = GetTickCount();
        (*watch.Look)(box);
    } else if (!watch.Looked && timeUp) {
        ADD_FAILURE() << "the input box did not appear";
        PostQuitMessage(0);  // ends the modal loop
    } else if (watch.Looked && box && timeUp) {
        ADD_FAILURE() << "the input box stayed open";
        EndDialog(box, IDCANCEL);
    }
}

HWND EditOf(HWND box) { return FindWindowExA(box, nullptr, "Edit", nullptr); }

void Press(HWND control, WPARAM key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

class InputBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "自席表示一覧", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        PumpMessages();
    }

    // Asks through the real dialog; once it is on the screen, look runs on
    // it. look must close the box (or make it close).
    std::string Ask(std::function<void(HWND box)> look, const std::string& defaultText = "もしもし",
                    int maxLength = 255) {
        watch = BoxWatch{&look, false, GetTickCount()};
        UINT_PTR timer = SetTimer(nullptr, 0, 20, OnBoxTimer);
        std::string answer = dialogs_.InputBox(owner_, kCaption, kPrompt, defaultText, maxLength);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(watch.Looked);
        watch = BoxWatch{};
        EXPECT_EQ(FindWindowA(nullptr, kCaption), nullptr) << "the box is gone once it is answered";
        return answer;
    }

    static void ClickButton(HWND box, int id) { SendMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); }

    Win32Dialogs dialogs_;
    HWND owner_ = nullptr;
};

TEST_F(InputBoxTest, ModalBoxWithThePromptAboveAnEditHoldingTheDefault) {
    std::string answer = Ask([&](HWND box) {
        EXPECT_EQ(Text(box), kCaption);
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner_);
        EXPECT_FALSE(IsWindowEnabled(owner_)) << "the owner waits while the box is open";
        LONG style = GetWindowLongA(box, GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

        RECT frame;
        GetWindowRect(box, &frame);
        EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
        EXPECT_LE(std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);

        HWND prompt = FindWindowExA(box, nullptr, "Static", kPrompt);
        HWND edit = EditOf(box);
        HWND ok = GetDlgItem(box, IDOK);
        HWND cancel = GetDlgItem(box, IDCANCEL);
        ASSERT_TRUE(prompt && edit && ok && cancel);
        EXPECT_EQ(Text(edit), "もしもし");
        EXPECT_EQ(Text(ok), "OK");
        EXPECT_EQ(GetFocus(), edit);
        EXPECT_EQ(LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_EQ(GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE, 0);

        RECT promptBounds, editBounds, okBounds, cancelBounds;
        GetWindowRect(prompt, &promptBounds);
        GetWindowRect(edit, &editBounds);
        GetWindowRect(ok, &okBounds);
        GetWindowRect(cancel, &cancelBounds);
        EXPECT_LE(promptBounds.bottom, editBounds.top) << "the prompt stands above the edit box";
        EXPECT_LE(editBounds.bottom, okBounds.top) << "the buttons stand below it";
        EXPECT_LE(okBounds.right, cancelBounds.left) << "OK comes first";
        for (HWND control : {prompt, edit, ok, cancel}) ExpectListFont(control);

        SendMessageA(edit, WM_CHAR, 'x', 1);
        EXPECT_EQ(Text(edit), "x") << "typing replaces the default text";
        ClickButton(box, IDCANCEL);
    });
    EXPECT_EQ(answer, "もしもし");
}

TEST_F(InputBoxTest, OkGivesTheEditedText) {
    std::string answer = Ask([&](HWND box) {
        SendMessageA(EditOf(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("今から伺います"));
        ClickButton(box, IDOK);
    });
    EXPECT_EQ(answer, "今から伺います");
}

TEST_F(InputBoxTest, OkWithAnEmptiedEditGivesAnEmptyText) {
    std::string answer = Ask([&](HWND box) {
        SendMessageA(EditOf(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        ClickButton(box, IDOK);
    });
    EXPECT_EQ(answer, "");
}

TEST_F(InputBoxTest, EnterAnswersAsOk) {
    std::string answer = Ask([&](HWND box) {
        HWND edit = EditOf(box);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("了解です"));
        Press(edit, VK_RETURN);
    });
    EXPECT_EQ(answer, "了解です");
}

TEST_F(InputBoxTest, CancelEscapeAndTheCloseBoxGiveTheDefaultText) {
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"Cancel", [](HWND box) { ClickButton(box, IDCANCEL); }},
        {"Escape", [](HWND box) { Press(EditOf(box), VK_ESCAPE); }},
        {"close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        std::string answer = Ask([&](HWND box) {
            SendMessageA(EditOf(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("書きかけ"));
            close(box);
        });
        EXPECT_EQ(answer, "もしもし");
    }
}

TEST_F(InputBoxTest, TypingStopsAtTheLimit) {
    std::string answer = Ask(
        [&](HWND box) {
            HWND edit = EditOf(box);
            EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 255);
            SendMessageA(edit, EM_SETSEL, 0, -1);
            for (int i = 0; i < 300; ++i) SendMessageA(edit, WM_CHAR, 'a' + i % 26, 1);
            EXPECT_EQ(GetWindowTextLengthA(edit), 255);
            ClickButton(box, IDOK);
        });
    ASSERT_EQ(answer.size(), 255u);
    EXPECT_EQ(answer.substr(0, 3), "abc");
}

TEST_F(InputBoxTest, LimitIsTheOneAsked) {
    std::string answer = Ask(
        [&](HWND box) {
            HWND edit = EditOf(box);
            EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 10);
            SendMessageA(edit, EM_SETSEL, 0, -1);
            for (char c : std::string("0123456789abc")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
            ClickButton(box, IDOK);
        },
        "", 10);
    EXPECT_EQ(answer, "0123456789");
}

}  // namespace
}  // namespace pavlune
