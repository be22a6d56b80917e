#include "menu/add_string_dialog.h"

#include <optional>
#include <string_view>

#include "common/error.h"
#include "menu/add_strings.h"
#include "win/controls.h"
#include "win/files.h"
#include "win/win_util.h"

namespace pavlune {
namespace {

constexpr int kClientWidth = 229;
constexpr int kClientHeight = 91;
constexpr int kComboBoxId = 100;
constexpr int kComboBoxHeight = 20;
constexpr int kDropDownLines = 8;

int WindowHeight(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    return bounds.bottom - bounds.top;
}

}  // namespace

TPavluneAddStringDialog::TPavluneAddStringDialog(HWND owner, HINSTANCE instance, UserDialogs& dialogs,
                                                 const std::string& programFolder, const std::string& listFileName,
                                                 bool saveOption, bool sortOption)
    : CodeBuiltDialog(instance, dialogs, IDCANCEL, "追加文の入力ダイアログを表示できません"),
      owner_(owner),
      dialogs_(dialogs),
      path_(PhraseListPath(programFolder, listFileName)),
      saveOption_(saveOption),
      sortOption_(sortOption),
      font_(CreateUiFont()) {
    std::optional<std::string> bytes = ReadWholeFile(path_);
    if (bytes) {
        phrases_ = ReadPhraseList(*bytes);
    } else {
        MessageBeep(MB_ICONHAND);
        dialogs_.ShowMessage(owner_, PhraseListNotReadMessage(path_), kApplicationTitle, MB_OK);
        // A list that is there but could not be read is never written over:
        // its phrases would be lost. A missing one is made at the close. Only
        // "not found" says it is missing: a share that is gone for a moment,
        // or a folder that may not be read, may hold the list all the same.
        const bool present = GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
        const DWORD error = GetLastError();
        listRead_ = !present && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
    }
}

bool TPavluneAddStringDialog::ShowModal() {
    INT_PTR result = RunModal(owner_);
    if (result == -1) throw Error("追加文の入力ダイアログを表示できません");
    return result == IDOK;
}

void TPavluneAddStringDialog::OnOK() {
    OKBtnClick();
    Close(IDOK);
}

void TPavluneAddStringDialog::OnCancel() { Close(IDCANCEL); }

void TPavluneAddStringDialog::OnInit() {
    SetWindowTextA(handle_, kAddStringDialogCaption);
    PlaceOnScreen(kClientWidth, kClientHeight);

    CreateControl(handle_, "STATIC", "追加したい文を入力または選択してください", SS_LEFT | SS_NOPREFIX, -1,
                  Bounds(6, 8, 217, 12), font_.get());
    // The height asked for here includes the dropped-down list; the field
    // itself is brought to its height below, once it has its font.
    comboBox_ = CreateControl(handle_, "COMBOBOX", "",
                              CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP |
                                  (sortOption_ ? CBS_SORT : 0),
                              kComboBoxId, Bounds(6, 32, 216, kComboBoxHeight), font_.get());
    // Setting the field's item height resizes the box, so its frame around
    // the item can be measured first.
    const int fieldHeight = static_cast<int>(SendMessageA(comboBox_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    SendMessageA(comboBox_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
    SendMessageA(comboBox_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                 fieldHeight + kComboBoxHeight - WindowHeight(comboBox_));
    const int lineHeight = static_cast<int>(SendMessageA(comboBox_, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(comboBox_, nullptr, 0, 0, 216, kComboBoxHeight + kDropDownLines * lineHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Any text of any length is accepted: the limit is the largest the system allows.
    SendMessageA(comboBox_, CB_LIMITTEXT, 0, 0);
    FillList();

    CreateControl(handle_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK, Bounds(37, 60, 75, 25),
                  font_.get());
    CreateControl(handle_, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, Bounds(117, 60, 75, 25),
                  font_.get());
    SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
    SetFocus(comboBox_);
}

// With sorting on, the list places each phrase in order as it comes.
void TPavluneAddStringDialog::FillList() {
    SendMessageA(comboBox_, WM_SETREDRAW, FALSE, 0);
    bool complete = true;
    for (const std::string& phrase : phrases_) {
        if (SendMessageA(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(phrase.c_str())) < 0) complete = false;
    }
    SendMessageA(comboBox_, WM_SETREDRAW, TRUE, 0);
    phrases_.clear();
    phrases_.shrink_to_fit();
    // A list that could not take every phrase (the 9x line holds at most
    // 32767) is never written back: that would cut the file.
    listComplete_ = complete;
}

void TPavluneAddStringDialog::Close(int result) {
    text_ = WindowText(comboBox_);
    FormClose();
    EndDialog(handle_, result);
}

// A new phrase goes first, also in a sorted list: it takes its sorted place
// the next time the file is read.
void TPavluneAddStringDialog::OKBtnClick() {
    const std::string text = WindowText(comboBox_);
    if (text.empty() || !saveOption_) return;
    if (SendMessageA(comboBox_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) !=
        CB_ERR) {
        return;
    }
    SendMessageA(comboBox_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Runs at every close. A failed write is reported and the dialog closes all
// the same: the user's answer stands, and a list that cannot be written
// must not keep the user from ever leaving the dialog.
void TPavluneAddStringDialog::FormClose() {
    if (!saveOption_) return;
    if (!listRead_) {
        ShowErrorBox(dialogs_, handle_, PhraseListNotWrittenMessage(path_));
        return;
    }
    if (!listComplete_) return;
    std::optional<std::vector<std::string>> entries = ListEntries();
    if (!entries || !WriteWholeFile(path_, WritePhraseList(*entries))) {
        ShowErrorBox(dialogs_, handle_, PhraseListNotWrittenMessage(path_));
    }
}

// Nothing when an entry cannot be read back: writing without it would lose it.
std::optional<std::vector<std::string>> TPavluneAddStringDialog::ListEntries() const {
    const LRESULT count = SendMessageA(comboBox_, CB_GETCOUNT, 0, 0);
    std::vector<std::string> entries;
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendMessageA(comboBox_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length < 0) return std::nullopt;
        std::string entry(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT copied = SendMessageA(comboBox_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(entry.data()));
        if (copied < 0) return std::nullopt;
        entry.resize(static_cast<std::size_t>(copied));
        entries.push_back(std::move(entry));
    }
    return entries;
}

void BuildAddStringsFileMenu(PopupMenuModel& commandMenu, const MessageMenu& menu, const std::string& programFolder) {
    auto systemUpperCase = [](std::string_view name) {
        std::string upper(name);
        if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
        return upper;
    };
    auto localeOrder = [](std::string_view a, std::string_view b) {
        return CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size())) -
               CSTR_EQUAL;
    };
    FillPhraseListMenu(commandMenu.Item("RMenuOpenAddStringsFile"), PhraseListNames(menu, systemUpperCase, localeOrder),
                       [programFolder](const std::string& caption) {
                           OpenWithShell(nullptr, PhraseListPath(programFolder, caption));
                       });
}

}  // namespace pavlune
