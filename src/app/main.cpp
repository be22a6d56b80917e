// Program entry: one instance per session, a hidden main window, the message
// loop, and the end of shut-down. No command line is read; the exit code is
// always 0.
#include <windows.h>

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
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
