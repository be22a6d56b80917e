// Program entry: one instance per session, a hidden main window, the message
// loop, and the end of shut-down. The command line is read for one switch
// only, the firewall's mend run elevated, which makes no window, joins no
// LAN and exits 0 when the rules are in; any other command line is ignored
// and the exit code is 0.
#include <windows.h>

#include <string>

#include "app/firewall_check.h"
#include "app/main_form.h"
#include "common/error.h"
#include "win/dialogs.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/win_util.h"

namespace {

constexpr const char* kMutexName = "Pavlune_Mutex";

// True when another instance already runs. The mutex stays owned by this
// process until it ends.
bool AnotherInstanceRuns() {
    if (pavlune::UniqueHandle existing(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName)); existing) return true;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    CreateMutexA(&attributes, TRUE, kMutexName);
    return false;
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    std::string line = commandLine ? commandLine : "";
    line.erase(0, line.find_first_not_of(' '));
    line.erase(line.find_last_not_of(' ') + 1);
    if (lstrcmpiA(line.c_str(), pavlune::kFirewallSwitch) == 0) {
        return pavlune::RunFirewallFix(pavlune::ModuleFileName());
    }
    if (AnotherInstanceRuns()) return 0;

    pavlune::InitCommonControlClasses();

    pavlune::Win32Dialogs dialogs;
    pavlune::Win32NameQuestion names(dialogs);
    pavlune::WithErrorBox(dialogs, nullptr, [&] {
        pavlune::RegisterMainFormClass(instance);
        pavlune::TPavluneMainForm form({instance, pavlune::ModuleFileName(), dialogs, names});
        RunMessageLoop();
        form.FormDestroy();
    });
    return 0;
}
