#include "app/firewall_check.h"

#include <shellapi.h>

#include <memory>

#include "app/firewall_verdict.h"
#include "app/settings_file.h"
#include "app/windows_firewall.h"
#include "common/error.h"
#include "win/code_built_dialog.h"
#include "win/controls.h"
#include "win/handles.h"

namespace pavlune {

namespace {

// The verdict message's wParam.
constexpr unsigned kOnDemand = 1, kAfterMend = 2, kKnown = 4, kMendFailed = 8;
// The block the user said no to: the profiles' bits.
constexpr const char* kDeclinedKey = "FirewallDeclined";
constexpr UINT kSetShield = 0x160C;  // BCM_SETSHIELD: Vista's buttons draw the shield

std::string BlockText(unsigned blocking) {
    std::string text =
        "Windows のファイアウォールが Pavlune "
        "の受信をふさいでいるため、このPCではほかの人の状況と"
        "個人あての伝言を受け取れません。ほかの人にはこのPCの状況"
        "が届いています。";
    if (blocking & kPublicProfile) {
        text +=
            "\n\nいまのネットワークは「パブリック」とされています。社内のネット"
            "ワークなら、Windows の設定で"
            "「プライベート」にしてください。";
    }
    return text;
}

struct Job {
    HWND window;
    UINT message;
    std::string exePath;
    unsigned flags;
    UniqueHandle mend;  // the elevated run, waited for first
};

DWORD WINAPI RunJob(void* parameter) {
    std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    unsigned flags = job->flags;
    if (job->mend) {
        DWORD code = 1;
        WaitForSingleObject(job->mend.get(), INFINITE);
        if (!GetExitCodeProcess(job->mend.get(), &code) || code != 0) flags |= kMendFailed;
    }
    std::optional<unsigned> blocking = ReadFirewallBlock(job->exePath);
    if (blocking) flags |= kKnown;
    PostMessageA(job->window, job->message, flags, static_cast<LPARAM>(blocking.value_or(0)));
    return 0;
}

// The block, and the offer to mend it; IDOK for the mend.
class FirewallBox : public CodeBuiltDialog {
public:
    FirewallBox(HINSTANCE instance, UserDialogs& dialogs, std::string text)
        : CodeBuiltDialog(instance, dialogs, IDCANCEL, "ファイアウォールの確認を表示できません"),
          text_(std::move(text)) {}
    INT_PTR Ask(HWND owner) { return RunModal(owner); }

private:
    static constexpr int kMargin = 12, kIcon = 32, kTextLeft = kMargin * 2 + kIcon, kTextWidth = 340;
    static constexpr int kButtonWidth = 120, kButtonHeight = 23, kWidth = kTextLeft + kTextWidth + kMargin;

    void OnInit() override {
        SetWindowTextA(handle_, kApplicationTitle);
        font_ = CreateUiFont(false, scale_);
        RECT measured{0, 0, scale_(kTextWidth), 0};
        HDC screen = GetDC(handle_);
        HGDIOBJ previous = SelectObject(screen, font_.get());
        DrawTextA(screen, text_.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(screen, previous);
        ReleaseDC(handle_, screen);
        const int textHeight = scale_.Unscale(measured.bottom);
        const int buttonTop = kMargin * 2 + (textHeight > kIcon ? textHeight : kIcon);
        PlaceOnScreen(kWidth, buttonTop + kButtonHeight + kMargin);
        HWND icon = CreateControl(handle_, "STATIC", "", SS_ICON, -2, Bounds(kMargin, kMargin, kIcon, kIcon), nullptr);
        SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_EXCLAMATION)), 0);
        // 0xFFFF, as a message box numbers its text.
        CreateControl(handle_, "STATIC", text_.c_str(), SS_LEFT | SS_NOPREFIX, 0xFFFF,
                      Bounds(kTextLeft, kMargin, kTextWidth, textHeight), font_.get());
        const int left = kWidth - kMargin - 2 * kButtonWidth - 8;
        HWND mend = CreateControl(handle_, "BUTTON", "許可する(&A)...", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                                  Bounds(left, buttonTop, kButtonWidth, kButtonHeight), font_.get());
        SendMessageA(mend, kSetShield, 0, TRUE);
        CreateControl(handle_, "BUTTON", "今はしない(&N)", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                      Bounds(left + kButtonWidth + 8, buttonTop, kButtonWidth, kButtonHeight), font_.get());
        SetForegroundWindow(handle_);
        SetFocus(mend);
    }

    // The close box is the user's no; a bare WM_CLOSE comes from outside (a
    // polite taskkill, the session's end) and says nothing.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) override {
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) OnCancel();
        else if (message == WM_CLOSE) EndDialog(handle_, IDABORT);
        else return false;
        result = TRUE;
        return true;
    }

    std::string text_;
    UniqueFont font_;
};

}  // namespace

int RunFirewallFix(const std::string& exePath) { return AllowThroughFirewall(exePath) ? 0 : 1; }

void FirewallCheck::Start(bool onDemand) { Launch(onDemand ? kOnDemand : 0, nullptr); }

void FirewallCheck::Launch(unsigned flags, HANDLE mend) {
    Job made{context_.Window, context_.Message, context_.ExePath, flags, UniqueHandle(mend)};
    auto job = std::make_unique<Job>(std::move(made));
    DWORD id = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, RunJob, job.get(), 0, &id));
    if (thread) job.release();
    else if (flags & kOnDemand) Tell("ファイアウォールを確かめられませんでした。", MB_ICONEXCLAMATION);
}

void FirewallCheck::Verdict(WPARAM wParam, LPARAM lParam) {
    const unsigned flags = static_cast<unsigned>(wParam), blocking = static_cast<unsigned>(lParam);
    const bool asked = (flags & (kOnDemand | kAfterMend)) != 0;
    if (flags & kMendFailed) return Tell("ファイアウォールの設定を変えられませんでした。", MB_ICONEXCLAMATION);
    if (!(flags & kKnown)) {
        if (asked) {
            Tell(
                "Windows のファイアウォールが Pavlune "
                "の受信を許しているか確かめられませんでした。"
                "ほかのファイアウォールを使っているときは、その設定を確かめてくださ"
                "い。",
                MB_ICONINFORMATION);
        }
        return;
    }
    SettingsFile settings(context_.SettingsPath);
    if (blocking == 0) {
        if (!settings.ReadText(kDeclinedKey, "").empty()) Decline(0);
        if (flags & kAfterMend) context_.Opened();
        if (asked) Tell("Windows のファイアウォールは Pavlune の受信を許しています。", MB_ICONINFORMATION);
        return;
    }
    if (flags & kAfterMend) return Tell(BlockText(blocking), MB_ICONEXCLAMATION);
    if (!asked && (told_ || settings.ReadText(kDeclinedKey, "") == std::to_string(blocking))) return;
    told_ = true;
    Offer(blocking);
}

void FirewallCheck::Offer(unsigned blocking) {
    const std::string text = BlockText(blocking) + "\n\n管理者の権限でファイアウォールに Pavlune の受信を許可しますか?";
    if (offering_) return;  // a second verdict while the box is open
    offering_ = true;
    const INT_PTR answer = FirewallBox(context_.Instance, context_.Dialogs, text).Ask(context_.Window);
    offering_ = false;
    if (answer == IDOK) Mend(blocking);
    else if (answer == IDCANCEL) Decline(blocking);
}

// Pavlune itself, elevated, adds the rules; this one asks again once it ends.
void FirewallCheck::Mend(unsigned blocking) {
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.hwnd = context_.Window;
    run.lpVerb = "runas";
    run.lpFile = context_.ExePath.c_str();
    run.lpParameters = kFirewallSwitch;
    run.nShow = SW_HIDE;
    if (ShellExecuteExA(&run)) return Launch(kAfterMend, run.hProcess);
    if (GetLastError() == ERROR_CANCELLED) return Decline(blocking);  // the user said no to the elevation
    Tell("ファイアウォールの設定を変えられませんでした。", MB_ICONEXCLAMATION);
}

// Remembered in the settings file; 0 forgets. A file that keeps nothing
// only means the question comes again.
void FirewallCheck::Decline(unsigned blocking) {
    try {
        SettingsFile(context_.SettingsPath).WriteText(kDeclinedKey, blocking ? std::to_string(blocking) : "");
    } catch (const std::exception&) {
    }
}

void FirewallCheck::Tell(const std::string& text, UINT icon) {
    context_.Dialogs.ShowMessage(context_.Window, text, kApplicationTitle, MB_OK | icon);
}

}  // namespace pavlune
