// TPavluneMainForm: the hidden main window. It owns the menus and every
// subsystem, runs start-up and shut-down in their order, dispatches the
// program's window messages, and is the boundary where errors become the
// error box.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/command_menu.h"
#include "app/firewall_check.h"
#include "app/name_dialog.h"
#include "app/session_roads.h"
#include "app/tray_icon.h"
#include "lan/lan_presence.h"
#include "menu/message_menu_loader.h"
#include "menu/message_selection.h"
#include "saver/back_at_desk.h"
#include "saver/password_options.h"
#include "saver/saver_launcher.h"
#include "saver/saver_text_store.h"
#include "saver/three_d_text_display.h"
#include "win/dialogs.h"
#include "watch/change_watchers.h"
#include "win/handles.h"
#include "win/window_timer.h"

namespace pavlune {

// The main window's own messages.
inline constexpr UINT WM_DEFFILE_CHANGED = WM_USER + 2000;      // 3024: the definition file's folder changed
inline constexpr UINT WM_DESKTOP_CHANGED = WM_USER + 2001;      // 3025: the desktop settings changed
inline constexpr UINT WM_REFRESH_REQUEST = WM_USER + 2002;      // 3026: the status list asks for fresh states
inline constexpr UINT WM_FIREWALL_VERDICT = WM_USER + 2003;     // 3027: what Windows' firewall lets through
inline constexpr UINT WM_TRAY_NOTIFY = WM_APP + 905;            // 33673: mouse over the tray icon

inline constexpr const char* kMainFormClassName = "TPavluneMainForm";

class SettingsFile;

class TPavluneMainForm {
public:
    struct Context {
        HINSTANCE Instance;
        std::string ExePath;  // the program's own full path; its files sit beside it
        UserDialogs& Dialogs;
        NameQuestion& Names;  // the question of a first start
        NotifyArea& Shell = SystemNotifyArea::Instance();
    };

    // Builds the hidden window and runs the start-up sequence.
    explicit TPavluneMainForm(const Context& context);
    TPavluneMainForm(const TPavluneMainForm&) = delete;
    TPavluneMainForm& operator=(const TPavluneMainForm&) = delete;
    // Puts the system's settings back as they were before the program ran.
    ~TPavluneMainForm();

    HWND Handle() const { return window_.get(); }

    // The last steps of shut-down, once the message loop has stopped: the
    // options are written to the settings file. Runs once; errors are shown.
    void FormDestroy() noexcept;

    PopupMenuModel& CommandMenu() { return commandMenu_; }
    SaverTextStore& SaverText() { return saverText_; }
    LanPresence& Presence() { return *presence_; }
    MessageMenuLoader& MessageMenu() { return *messageMenu_; }
    SaverLauncher& Launcher() { return *launcher_; }
    PasswordOptions& Password() { return password_; }
    const TrayIcon& Tray() const { return *tray_; }

    // A message chosen in the message menu (or the default one, by a
    // double-click on the tray icon): asks for a phrase when the entry wants
    // one, writes the message as the saver's text, tells the LAN, starts
    // the saver, then takes the saver over or puts its old text back.
    void MessageItemClick(const MessageChoice& choice);
    const std::string& SettingsPath() const { return settingsPath_; }

    // The window procedure of the main window's class.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Fields read by the subsystems. The version facts come first: they are
    // read before anything else is made.
    const WindowsVersion VersionInfo;
    int SaverActiveAtStart = 0;
    std::string MyName;
    std::unique_ptr<TFileWaitThread> MenuFileWatcher;  // while automatic reload is on
    std::unique_ptr<ChangeWatcher> DesktopWatcher;     // the desktop settings, for the password state

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    bool AskMyName(SettingsFile& settings);
    bool FormCloseQuery();
    void SessionEnds();
    void FormClose();
    void RestoreSystemSettings() noexcept;

    void Close();
    void WireCommands();
    void LoadCommandImages(int size);  // size: the pictures' side in pixels
    void TrayIconMessage(LPARAM lParam);
    void TellIconPlace();
    void PopupMenuRPopup();
    void OpenMenu(const std::vector<MenuItem>& items, HIMAGELIST images, UINT extraFlags, POINT at);
    void RMenuAboutClick();
    void N8Click();
    void N9Click();
    void RMenuFirewallClick();
    void RMenuReloadClick();
    void RMenuAutoMenuReloadClick();
    void RMenuPasswordEnabledClick();
    void RMenuPasswordChangeClick();
    void StartDesktopWatcher();
    void SendStatus(const std::string& whereabouts);
    void SignStarted();
    void CameBack();
    void TellOnce(bool& told, const std::string& text);
    void DefinitionFolderChanged();
    void StopWatchers();

    Context context_;
    std::string settingsPath_;
    std::string programFolder_;  // ends in a backslash
    UniqueOwnedWindow window_;
    PopupMenuModel commandMenu_;
    SaverTextStore saverText_;
    ThreeDTextDisplay threeDText_;          // the 3D Text saver's own text on Vista and later
    std::unique_ptr<MessageMenuLoader> messageMenu_;
    UniqueImageList commandImages_;         // ImageList1: pictures of the command menu
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<LanPresence> presence_;
    std::unique_ptr<SaverLauncher> launcher_;
    std::unique_ptr<BackAtDesk> backAtDesk_;
    std::unique_ptr<SessionRoads> session_;
    std::unique_ptr<FirewallCheck> firewall_;
    PasswordOptions password_;
    WindowTimer quietReload_;               // an edit caught half-way waits for a quiet folder
    DWORD firstNotice_ = 0;                 // of the notices that quietReload_ waits out
    UINT taskbarCreated_ = 0;               // sent to every top-level window when the shell restarts
    bool saverFixedTold_ = false;  // the box about the administrator's saver, once per session
    bool settingsUnwritableTold_ = false;  // the box about a settings file that keeps nothing
    bool asking_ = false;      // the first-start question is open
    bool menuOpen_ = false;    // a menu of the tray icon
    bool introduced_ = false;  // the LAN was asked for its states, so it hears this PC leave
    bool ending_ = false;      // closed, or the session ends
    bool destroyed_ = false;
    bool systemSettingsRestored_ = false;
};

// Registers the main window's class; once per process.
void RegisterMainFormClass(HINSTANCE instance);

}  // namespace pavlune
