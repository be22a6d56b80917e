// The question of a first start: the user's name on the LAN, in three
// fields (name, category 1, optional category 2), as colleagues see it in
// their status lists. The main window asks it through NameQuestion, the
// seam that tests answer in its place.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win/code_built_dialog.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

inline constexpr const char* kNameDialogCaption = "名前の設定";

// The user's name on the LAN and its two categories, as typed.
struct PresenceNameFields {
    std::string Name;
    std::string Category1;
    std::string Category2;  // may be empty
};

class NameQuestion {
public:
    virtual ~NameQuestion() = default;
    // The user's name and categories, none of them holding a backslash, the
    // name and the first category filled in. Nothing when the user cancels,
    // or when the question closes because the program is being closed.
    virtual std::optional<PresenceNameFields> AskPresenceName(HWND owner) = 0;
};

// The question in the dialog below.
class Win32NameQuestion : public NameQuestion {
public:
    // dialogs: where refusals and errors are shown.
    explicit Win32NameQuestion(UserDialogs& dialogs) : dialogs_(dialogs) {}
    std::optional<PresenceNameFields> AskPresenceName(HWND owner) override;

private:
    UserDialogs& dialogs_;
};

class NameDialog : private CodeBuiltDialog {
public:
    // dialogs: where refusals and errors are shown.
    explicit NameDialog(UserDialogs& dialogs);

    // The fields after OK; nothing after キャンセル, Escape or the close box.
    // OK is refused, with a message, while the name or the first category
    // is empty or any field holds a backslash (it would split the name).
    // A close from outside (a polite taskkill closes every window of the
    // program) is passed on to the owner, which closes the program; the
    // question ends with nothing. Throws Error when no box can be made.
    std::optional<PresenceNameFields> Ask(HWND owner);

private:
    void OnInit() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    UserDialogs& dialogs_;
    HWND owner_ = nullptr;
    UniqueFont font_;
    std::optional<PresenceNameFields> answer_;
};

}  // namespace pavlune
