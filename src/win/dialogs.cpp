#include "win/dialogs.h"

#include <algorithm>

#include "common/error.h"
#include "win/code_built_dialog.h"
#include "win/controls.h"

namespace pavlune {
namespace {

// One question, one line of answer: the prompt above an edit box, OK and Cancel below.
class InputDialog : private CodeBuiltDialog {
public:
    InputDialog(UserDialogs& dialogs, const std::string& caption, const std::string& prompt,
                const std::string& defaultText, int maxLength)
        : CodeBuiltDialog(GetModuleHandleA(nullptr), dialogs, IDCANCEL, "入力ダイアログを表示できません"),
          caption_(caption),
          prompt_(prompt),
          text_(defaultText),
          maxLength_(maxLength) {}

    // The edited text after OK; the default text after Cancel, Escape or the close box.
    std::string Ask(HWND owner) {
        if (RunModal(owner) == -1) throw Error("入力ダイアログを表示できません");
        return text_;
    }

private:
    static constexpr int kMargin = 12;
    static constexpr int kMinimumClientWidth = 270;
    static constexpr int kPromptTop = 12;
    static constexpr int kPromptHeight = 12;
    static constexpr int kEditTop = 30;
    static constexpr int kEditHeight = 20;
    static constexpr int kButtonTop = 62;
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 23;
    static constexpr int kButtonGap = 8;
    static constexpr int kClientHeight = kButtonTop + kButtonHeight + kMargin;
    static constexpr int kEditId = 100;

    void OnOK() override {
        text_ = WindowText(GetDlgItem(handle_, kEditId));
        EndDialog(handle_, IDOK);
    }

    void OnInit() override {
        SetWindowTextA(handle_, caption_.c_str());
        font_ = CreateUiFont(false, scale_);
        // A long prompt widens the box rather than being cut off.
        const int promptWidth = scale_.Unscale(static_cast<int>(TextExtent(handle_, font_.get(), prompt_).cx));
        const int clientWidth = std::max(kMinimumClientWidth, promptWidth + 2 * kMargin);
        PlaceOnScreen(clientWidth, kClientHeight);

        const int fieldWidth = clientWidth - 2 * kMargin;
        CreateControl(handle_, "STATIC", prompt_.c_str(), SS_LEFT | SS_NOPREFIX, -1,
                      Bounds(kMargin, kPromptTop, fieldWidth, kPromptHeight), font_.get());
        HWND edit = CreateControl(handle_, "EDIT", text_.c_str(), ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                                  kEditId, Bounds(kMargin, kEditTop, fieldWidth, kEditHeight), font_.get(),
                                  WS_EX_CLIENTEDGE);
        SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
        const int okLeft = clientWidth / 2 - kButtonGap / 2 - kButtonWidth;
        const int cancelLeft = clientWidth / 2 + kButtonGap / 2;
        CreateControl(handle_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                      Bounds(okLeft, kButtonTop, kButtonWidth, kButtonHeight), font_.get());
        CreateControl(handle_, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                      Bounds(cancelLeft, kButtonTop, kButtonWidth, kButtonHeight), font_.get());
        SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
        // The user starts typing over the default text.
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }

    const std::string& caption_;
    const std::string& prompt_;
    std::string text_;
    int maxLength_;
    UniqueFont font_;
};

}  // namespace

int Win32Dialogs::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

std::string Win32Dialogs::InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                                   const std::string& defaultText, int maxLength) {
    return InputDialog(*this, caption, prompt, defaultText, maxLength).Ask(owner);
}

void ShowErrorBox(UserDialogs& dialogs, HWND owner, std::string_view message) {
    try {
        dialogs.ShowMessage(owner, ErrorBoxText(message), kApplicationTitle, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing sensible is left to tell the user if even the box fails.
    }
}

}  // namespace pavlune
