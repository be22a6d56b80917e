#include "app/name_dialog.h"

#include <utility>

#include "common/error.h"
#include "common/sjis.h"
#include "win/controls.h"

namespace pavlune {
namespace {

constexpr int kMargin = 12;
constexpr int kClientWidth = 300;
constexpr int kPromptHeight = 12;
constexpr int kFirstRowTop = 34;
constexpr int kRowPitch = 28;
constexpr int kLabelWidth = 84;
constexpr int kLabelHeight = 12;
constexpr int kLabelDrop = 4;  // the label sits level with the text of its field
constexpr int kFieldLeft = kMargin + kLabelWidth;
constexpr int kFieldWidth = kClientWidth - kFieldLeft - kMargin;
constexpr int kFieldHeight = 20;
constexpr int kButtonTop = kFirstRowTop + 3 * kRowPitch + 6;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kClientHeight = kButtonTop + kButtonHeight + kMargin;
// Room enough for any name; the whole must fit a status datagram.
constexpr int kFieldLimit = 200;
constexpr int kNameId = 100;
constexpr int kCategory1Id = 101;
constexpr int kCategory2Id = 102;

struct Row {
    int id;
    const char* label;
};
constexpr Row kRows[] = {{kNameId, "名前"}, {kCategory1Id, "分類１"}, {kCategory2Id, "分類２ (省略可)"}};

// The field the user must mend, with the reason; nothing when all is well.
std::optional<std::pair<int, const char*>> Refusal(const PresenceNameFields& fields) {
    const std::pair<int, const std::string*> checked[] = {
        {kNameId, &fields.Name}, {kCategory1Id, &fields.Category1}, {kCategory2Id, &fields.Category2}};
    for (const auto& [id, text] : checked) {
        if (FindChar(*text, '\\') != std::string::npos) {
            return std::pair{id, "名前と分類に \\ (円記号) は使えません。名前の区切りになるためです。"};
        }
    }
    if (fields.Name.empty()) return std::pair{kNameId, "名前を入力してください。"};
    if (fields.Category1.empty()) return std::pair{kCategory1Id, "分類１を入力してください。"};
    return std::nullopt;
}

}  // namespace

NameDialog::NameDialog(UserDialogs& dialogs)
    : CodeBuiltDialog(GetModuleHandleA(nullptr), dialogs, IDCANCEL, "名前の設定ダイアログを表示できません"),
      dialogs_(dialogs) {}

std::optional<PresenceNameFields> Win32NameQuestion::AskPresenceName(HWND owner) {
    return NameDialog(dialogs_).Ask(owner);
}

std::optional<PresenceNameFields> NameDialog::Ask(HWND owner) {
    owner_ = owner;
    if (RunModal(owner) == -1) throw Error("名前の設定ダイアログを表示できません");
    return answer_;
}

void NameDialog::OnInit() {
    SetWindowTextA(handle_, kNameDialogCaption);
    font_ = CreateUiFont();
    PlaceOnScreen(kClientWidth, kClientHeight);
    CreateControl(handle_, "STATIC", "他の人の状況表示に出るあなたの名前を入力してください", SS_LEFT | SS_NOPREFIX, -1,
                  Bounds(kMargin, kMargin, kClientWidth - 2 * kMargin, kPromptHeight), font_.get());
    int top = kFirstRowTop;
    for (const Row& row : kRows) {
        CreateControl(handle_, "STATIC", row.label, SS_LEFT | SS_NOPREFIX, -1,
                      Bounds(kMargin, top + kLabelDrop, kLabelWidth, kLabelHeight), font_.get());
        HWND field = CreateControl(handle_, "EDIT", "", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, row.id,
                                   Bounds(kFieldLeft, top, kFieldWidth, kFieldHeight), font_.get(), WS_EX_CLIENTEDGE);
        SendMessageA(field, EM_LIMITTEXT, kFieldLimit, 0);
        top += kRowPitch;
    }
    const int okLeft = kClientWidth / 2 - kButtonGap / 2 - kButtonWidth;
    CreateControl(handle_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                  Bounds(okLeft, kButtonTop, kButtonWidth, kButtonHeight), font_.get());
    CreateControl(handle_, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                  Bounds(kClientWidth / 2 + kButtonGap / 2, kButtonTop, kButtonWidth, kButtonHeight), font_.get());
    SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
    // Asked at start-up, behind whatever the user is doing: it comes to the front.
    SetForegroundWindow(handle_);
    SetFocus(GetDlgItem(handle_, kNameId));
}

void NameDialog::OnOK() {
    PresenceNameFields fields{WindowText(GetDlgItem(handle_, kNameId)), WindowText(GetDlgItem(handle_, kCategory1Id)),
                              WindowText(GetDlgItem(handle_, kCategory2Id))};
    if (auto refusal = Refusal(fields)) {
        dialogs_.ShowMessage(handle_, refusal->second, kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
        HWND field = GetDlgItem(handle_, refusal->first);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
        return;
    }
    answer_ = std::move(fields);
    EndDialog(handle_, IDOK);
}

// The close box and Alt+F4 come as SC_CLOSE: the user's Cancel. A bare
// WM_CLOSE comes from outside, as a polite taskkill posts it to every window
// of the program; the owner hears it first, so that the program knows it is
// closing before the question ends.
bool NameDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        OnCancel();
    } else if (message == WM_CLOSE) {
        if (owner_) SendMessageA(owner_, WM_CLOSE, 0, 0);
        EndDialog(handle_, IDCANCEL);
    } else {
        return false;
    }
    result = TRUE;
    return true;
}

}  // namespace pavlune
