// Whether Windows' firewall lets Pavlune hear its colleagues, asked on a
// thread at start and from the command menu. A block is told once, with the
// offer to mend it with administrator rights; a user who says no is not
// asked again at the next start while the firewall stays as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/dialogs.h"

namespace pavlune {

// The mend runs as Pavlune started elevated with this switch alone.
inline constexpr const char* kFirewallSwitch = "/AllowFirewall";

// The elevated run: adds the rules and ends; its exit code says whether
// they are in.
int RunFirewallFix(const std::string& exePath);

class FirewallCheck {
public:
    struct Context {
        HWND Window;  // hears Message with each verdict
        UINT Message;
        HINSTANCE Instance;
        UserDialogs& Dialogs;
        std::string ExePath;
        std::string SettingsPath;
        std::function<void()> Opened;  // the mend let the program through
    };
    explicit FirewallCheck(Context context) : context_(std::move(context)) {}

    // onDemand: the answer is shown whatever it is.
    void Start(bool onDemand);
    // The Message's handler.
    void Verdict(WPARAM wParam, LPARAM lParam);

private:
    void Launch(unsigned flags, HANDLE mend);
    void Offer(unsigned blocking);
    void Mend(unsigned blocking);
    void Decline(unsigned blocking);
    void Tell(const std::string& text, UINT icon);

    Context context_;
    bool told_ = false;      // the block was told this session
    bool offering_ = false;  // the box is open
};

}  // namespace pavlune
