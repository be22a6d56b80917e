// The question of a first start: the user's name on the LAN, in three
// fields (name, category 1, optional category 2), as colleagues see it in
// their status lists.
#pragma once

#include <windows.h>

#include <optional>

#include "win/code_built_dialog.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

inline constexpr const char* kNameDialogCaption = "名前の設定";

class NameDialog : private CodeBuiltDialog {
public:
    // dialogs: where refusals and errors are shown.
    explicit NameDialog(UserDialogs& dialogs);

    // The fields after OK; nothing after キャンセル, Escape or the close box.
    // OK is refused, with a message, while the name or the first category
    // is empty or any field holds a backslash (it would split the name).
    // Throws Error when no box can be made.
    std::optional<PresenceNameFields> Ask(HWND owner);

private:
    void OnInit() override;
    void OnOK() override;

    UserDialogs& dialogs_;
    UniqueFont font_;
    std::optional<PresenceNameFields> answer_;
};

}  // namespace pavlune
