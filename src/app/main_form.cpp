#include "app/main_form.h"

#include "about/about_box.h"
#include "app/overflow_hint.h"
#include "app/settings_file.h"
#include "app/settings_values.h"
#include "lan/presence.h"
#include "menu/add_string_dialog.h"
#include "common/error.h"
#include "common/paths.h"
#include "menu/message_menu_items.h"
#include "saver/saver_kind.h"
#include "saver/screen_saver_active.h"
#include "win/display_scale.h"
#include "win/menu_renderer.h"
#include "win/win_util.h"

namespace pavlune {

namespace {
// Pictures of the command menu: icon resources 100 to 119, image indexes 0 to 19.
constexpr int kFirstCommandImage = 100;
constexpr int kCommandImageCount = 20;
// An editor writes a file in steps; the menu is reloaded once the folder
// has been quiet this long, or at the latest at a notice this long after the
// first one.
constexpr UINT kQuietMilliseconds = 400;
constexpr DWORD kLongestReloadWait = 5000;
constexpr const char* kDesktopKey = "Control Panel\\desktop";
}  // namespace

void RegisterMainFormClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TPavluneMainForm::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainFormClassName;
    RegisterClassExA(&windowClass);
}

TPavluneMainForm::TPavluneMainForm(const Context& context)
    : VersionInfo(ReadWindowsVersion()),
      context_(context),
      settingsPath_(ChangeFileExt(context.ExePath, ".INI")),
      programFolder_(ExtractFilePath(context.ExePath)),
      commandMenu_(BuildCommandMenu()),
      saverText_(VersionInfo, commandMenu_),
      threeDText_(VersionInfo, commandMenu_, settingsPath_),
      password_(VersionInfo, commandMenu_, settingsPath_),
      quietReload_(context.Dialogs, [this] { RMenuReloadClick(); }) {
    // A hidden top-level window (not a message-only one), so that a polite
    // taskkill, which posts WM_CLOSE, reaches it.
    window_.reset(CreateWindowExA(0, kMainFormClassName, kApplicationTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, context.Instance,
                                  this));
    if (!window_) throw Error("メインウィンドウを作成できません");
    messageMenu_ = std::make_unique<MessageMenuLoader>(Handle(), ChangeFileExt(context.ExePath, ".TXT"),
                                                       context.Dialogs);
    const int pictureSize = DisplayScale::Of(Handle()).SmallIcon();
    tray_ = std::make_unique<TrayIcon>(TrayIcon::Context{Handle(), WM_TRAY_NOTIFY, context.Instance, VersionInfo,
                                                         context.Shell, context.Dialogs, [this] { TellIconPlace(); }});
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    LoadCommandImages(pictureSize);
    launcher_ = std::make_unique<SaverLauncher>(SaverLauncher::Context{
        Handle(), VersionInfo, commandMenu_, saverText_, context.Dialogs, commandImages_.get(),
        [this] { presence_->ClearLastSentState(); }, ChangeFileExt(context.ExePath, ".TXT"), programFolder_});
    backAtDesk_ = std::make_unique<BackAtDesk>(context.Dialogs, [this] { CameBack(); });
    WireCommands();
    presence_ = std::make_unique<LanPresence>(Handle(), context.Instance, context.Dialogs, MyName);
    session_ = std::make_unique<SessionRoads>(SessionRoads::Context{
        Handle(), context.Dialogs, *presence_, *backAtDesk_, introduced_, [this] { SessionEnds(); }});
    // A firewall that lets the program through after the mend: the LAN is
    // heard again as after a change of network.
    firewall_ = std::make_unique<FirewallCheck>(FirewallCheck::Context{
        Handle(), WM_FIREWALL_VERDICT, context.Instance, context.Dialogs, context.ExePath, settingsPath_,
        [this] { presence_->NetworkChanged(); }});
    WithErrorBox(context_.Dialogs, Handle(), [this] { FormCreate(); });
}

TPavluneMainForm::~TPavluneMainForm() {
    // After a fatal definition file the close never ran: the watchers post
    // to this form, so they stop before anything of it goes.
    StopWatchers();
    RestoreSystemSettings();
    session_.reset();
    presence_.reset();
    backAtDesk_.reset();
    launcher_.reset();
    messageMenu_.reset();
    window_.reset();
}

LRESULT CALLBACK TPavluneMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TPavluneMainForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form || !form->window_) return DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    WithErrorBox(form->context_.Dialogs, window, [&] { result = form->Dispatch(message, wParam, lParam); });
    return result;
}

LRESULT TPavluneMainForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DEFFILE_CHANGED:
            DefinitionFolderChanged();
            return 0;
        case WM_DESKTOP_CHANGED:
            password_.RefreshPasswordState();
            return 0;
        case WM_REFRESH_REQUEST:
            N9Click();
            return 0;
        case WM_FIREWALL_VERDICT:
            if (!ending_) firewall_->Verdict(wParam, lParam);
            return 0;
        case WM_TRAY_NOTIFY:
            TrayIconMessage(lParam);
            break;
        case WM_WTSSESSION_CHANGE_NOTICE:
            session_->SessionChanged(wParam);
            break;
        case WM_POWERBROADCAST:
            session_->PowerChanged(wParam);
            break;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            if (HandleMenuPictureMessage(message, lParam)) return TRUE;
            break;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_QUERYENDSESSION:
            return session_->QueryEnd();
        case WM_ENDSESSION:
            session_->End(wParam != FALSE);
            return 0;
    }
    // The shell restarted, or the screen's scale changed: without the icon
    // again the program would be unreachable.
    if (message == taskbarCreated_ && taskbarCreated_ != 0) tray_->Show();
    return DefWindowProcA(Handle(), message, wParam, lParam);
}

void TPavluneMainForm::FormCreate() {
    // A run that did not end (killed, or its session lost) left the user's
    // 3D Text values and password switch kept: they go back before anything else.
    threeDText_.Restore();
    password_.RestoreKept();
    // 1. The system's version decides where its settings live. It was read
    //    when the form was made, before any subsystem that needs it.
    // 2. The saver flag as it was before anything changed it.
    SaverActiveAtStart = ReadScreenSaverActive() ? 1 : 0;
    // 3. The message menu. An icon that cannot be loaded is reported, and
    //    start-up goes on so the user can mend the file and reload.
    try {
        messageMenu_->LoadMessageMenu();
    } catch (const std::exception& e) {
        ShowErrorBox(context_.Dialogs, Handle(), e.what());
    }
    // 4. The tray icon.
    tray_->Show();
    // 5. The settings file.
    SettingsFile settings(settingsPath_);
    // 6. The message saver's kind.
    if (settings.ReadBoolean("KIND", true)) RMenuDengonClick(commandMenu_);
    else RMenu3DClick(commandMenu_);
    // 7. Automatic reload of the message menu.
    if (settings.ReadBoolean("AutoReload", true)) RMenuAutoMenuReloadClick();
    // 8. A saver already switched off in the system shows as switched off here.
    commandMenu_.SetChecked("RMenuScreenSaverDisabled", SaverActiveAtStart == 0);
    // 9. The desktop settings are watched for the password state.
    StartDesktopWatcher();
    // 10, 11. Phrase list options.
    commandMenu_.SetChecked("RMenuAutoAddStringSort", settings.ReadBoolean("SortString", false));
    commandMenu_.SetChecked("RMenuAutoAddStringSave", settings.ReadBoolean("SaveString", true));
    // 12. Switch the saver off while the program runs, if asked to.
    if (!commandMenu_.IsChecked("RMenuScreenSaverDisabled") && settings.ReadBoolean("SaverDisabled", false)) {
        RMenuScreenSaverDisabledClick(commandMenu_);
    }
    // 13. The NT line has no password change of its own.
    if (VersionInfo.Nt) commandMenu_.Item("RMenuPasswordChange").Visible = false;
    // 14, 15. The password state as the system has it, then the policy of the settings file.
    password_.Start(settings.ReadText("PasswordEnabled", "2"));
    // 16. Take-over.
    commandMenu_.SetChecked("RMenuScreenSaverJack", settings.ReadBoolean("ScreenSaveJack", false));
    // The default message when the user is back at the desk.
    commandMenu_.SetChecked("RMenuBackAtDesk", settings.ReadBoolean("BackAtDesk", true));
    // 17. Without the 3D Text saver only the Marquee saver can carry messages.
    bool threeDInstalled = saverText_.Is3DTextSaverInstalled();
    commandMenu_.Item("RMenu3D").Enabled = threeDInstalled;
    if (!threeDInstalled) commandMenu_.SetChecked("RMenuDengon", true);
    // 18. The installed savers.
    launcher_->BuildSaverSubmenu();
    // 19. The phrase files named by the message menu.
    BuildAddStringsFileMenu(commandMenu_, messageMenu_->Menu(), programFolder_);
    // 20. The user's name on the LAN, asked for once when the file has none,
    //     so that colleagues can tell this PC's records from the first one;
    //     a program that is ending for its definition file asks nothing, and
    //     one closed during the question goes no further. Then the subnets
    //     and PCs beyond the router that hear this PC too.
    if (settings.HasKey("MyName")) MyName = settings.ReadText("MyName", "");
    else if (!messageMenu_->Ending() && !AskMyName(settings)) return;
    BroadcastList broadcastTo = ParseBroadcastList(settings.ReadText("BroadcastTo", ""));
    presence_->SetBroadcastTargets(broadcastTo.Targets);
    presence_->SetRepeatMinutes(ParseRepeatMinutes(settings.ReadText("RepeatMinutes", "")));
    // 21. Nothing is written at start-up; the settings file needs no closing.
    // 22. Everybody on the LAN is asked for their state.
    introduced_ = true;
    presence_->RequestStates();
    TellIconPlace();
    // A firewall that lets nothing in leaves the list empty without a word.
    firewall_->Start(false);
    // Entries that cannot be used are named once; the good ones already work.
    if (!broadcastTo.Skipped.empty()) {
        context_.Dialogs.ShowMessage(Handle(), SkippedEntriesMessage(broadcastTo.Skipped), kApplicationTitle,
                                     MB_OK | MB_ICONEXCLAMATION);
    }
}

// Cancel stores an empty name, so the question does not come back. A close
// of the program while the question is open (a polite taskkill, the
// session's end) stores nothing: the next start asks again. False then, as
// the program is ending. A file that cannot be written is reported, and the
// name holds while the program runs.
bool TPavluneMainForm::AskMyName(SettingsFile& settings) {
    asking_ = true;
    struct Answered {
        bool& asking;
        ~Answered() { asking = false; }
    } answered{asking_};
    std::optional<PresenceNameFields> answer = context_.Names.AskPresenceName(Handle());
    if (ending_) return false;
    if (answer) MyName = ComposeMyName(answer->Name, answer->Category1, answer->Category2);
    try {
        settings.WriteText("MyName", MyName);
    } catch (const std::exception& e) {
        ShowErrorBox(context_.Dialogs, Handle(), e.what());
    }
    return true;
}

// A polite taskkill closes the first-start question as well, which passes
// the close on: the second one finds the program closed already.
void TPavluneMainForm::Close() {
    if (ending_ || !FormCloseQuery()) return;
    ending_ = true;
    FormClose();
    PostQuitMessage(0);
}

// Windows may end the process right after the session's end: the user's
// own settings go back first, then the options are saved (seven writes of a
// file that may be on a slow share).
void TPavluneMainForm::SessionEnds() {
    ending_ = true;
    RestoreSystemSettings();
    FormDestroy();
}

bool TPavluneMainForm::FormCloseQuery() {
    session_->LeaveLan();
    return true;
}

void TPavluneMainForm::FormClose() {
    StopWatchers();
    messageMenu_->Menu().DefaultMessageItem = nullptr;
    password_.Restore();
}

void TPavluneMainForm::StopWatchers() {
    quietReload_.Stop();
    StopWatcher(MenuFileWatcher);
    StopWatcher(DesktopWatcher);
}

void TPavluneMainForm::FormDestroy() noexcept {
    if (destroyed_) return;
    destroyed_ = true;
    WithErrorBox(context_.Dialogs, Handle(), [this] {
        tray_->Remove();
        SettingsFile settings(settingsPath_);
        settings.WriteBoolean("KIND", commandMenu_.IsChecked("RMenuDengon"));
        settings.WriteBoolean("AutoReload", commandMenu_.IsChecked("RMenuAutoMenuReload"));
        settings.WriteBoolean("SortString", commandMenu_.IsChecked("RMenuAutoAddStringSort"));
        settings.WriteBoolean("SaveString", commandMenu_.IsChecked("RMenuAutoAddStringSave"));
        settings.WriteBoolean("SaverDisabled", commandMenu_.IsChecked("RMenuScreenSaverDisabled"));
        settings.WriteBoolean("ScreenSaveJack", commandMenu_.IsChecked("RMenuScreenSaverJack"));
        settings.WriteBoolean("BackAtDesk", commandMenu_.IsChecked("RMenuBackAtDesk"));
        presence_->DestroyStatusWindow();
    });
}

// On every road out of the program: the close, the session's end, and the
// end after a fatal definition file.
void TPavluneMainForm::RestoreSystemSettings() noexcept {
    if (systemSettingsRestored_) return;
    systemSettingsRestored_ = true;
    password_.Restore();
    threeDText_.Restore();
    WriteScreenSaverActive(SaverActiveAtStart != 0);
}

void TPavluneMainForm::LoadCommandImages(int size) {
    commandImages_.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kCommandImageCount, 8));
    for (int index = 0; index < kCommandImageCount; ++index) {
        UniqueIcon icon(static_cast<HICON>(
            LoadImageA(context_.Instance, MAKEINTRESOURCEA(kFirstCommandImage + index), IMAGE_ICON, size, size, 0)));
        if (!icon) break;  // a build without the pictures (the tests) draws none
        ImageList_ReplaceIcon(commandImages_.get(), -1, icon.get());
    }
}

// The command menu's items and what each click does.
void TPavluneMainForm::WireCommands() {
    struct Command {
        const char* item;
        void (TPavluneMainForm::*handler)();
    };
    static const Command commands[] = {
        {"RMenuReload", &TPavluneMainForm::RMenuReloadClick},
        {"RMenuAutoMenuReload", &TPavluneMainForm::RMenuAutoMenuReloadClick},
        {"RMenuPasswordEnabled", &TPavluneMainForm::RMenuPasswordEnabledClick},
        {"RMenuPasswordChange", &TPavluneMainForm::RMenuPasswordChangeClick},
        {"N8", &TPavluneMainForm::N8Click},
        {"N9", &TPavluneMainForm::N9Click},
        {"RMenuFirewall", &TPavluneMainForm::RMenuFirewallClick},
        {"RMenuAbout", &TPavluneMainForm::RMenuAboutClick},
        {"RMenuExit", &TPavluneMainForm::Close},
    };
    for (const Command& command : commands) {
        commandMenu_.Item(command.item).OnClick = [this, handler = command.handler] { (this->*handler)(); };
    }
    launcher_->WireCommands();
    commandMenu_.Item("RMenuScreenSaverDisabled").OnClick = [this] { RMenuScreenSaverDisabledClick(commandMenu_); };
    commandMenu_.Item("RMenuDengon").OnClick = [this] { RMenuDengonClick(commandMenu_); };
    commandMenu_.Item("RMenu3D").OnClick = [this] { RMenu3DClick(commandMenu_); };
    for (const char* toggle :
         {"RMenuAutoAddStringSort", "RMenuAutoAddStringSave", "RMenuScreenSaverJack", "RMenuBackAtDesk"}) {
        commandMenu_.Item(toggle).OnClick = [this, toggle] { commandMenu_.InvertChecked(toggle); };
    }
}

void TPavluneMainForm::TrayIconMessage(LPARAM lParam) {
    // Until the first-start question is answered there is no name to send
    // a message with: the icon waits for the answer. A second select that
    // the shell sends while a menu is open would open it again behind it,
    // and a message while the saver it started runs would start another.
    if (asking_ || menuOpen_ || launcher_->AwaitingSaver()) return;
    POINT at{};
    GetCursorPos(&at);
    switch (tray_->Translate(static_cast<UINT>(lParam))) {
        case TrayIcon::Request::MessageMenu: {
            SetForegroundWindow(Handle());
            auto chosen = [this](const MessageEntry& entry) { MessageItemClick(MessageChoice::From(entry)); };
            OpenMenu(MessageMenuItems(messageMenu_->Menu(), chosen), messageMenu_->Images(), 0, at);
            break;
        }
        case TrayIcon::Request::CommandMenu: {
            SetForegroundWindow(Handle());
            PopupMenuRPopup();
            OpenMenu(commandMenu_.Items(), commandImages_.get(), VersionInfo.Above40 ? TPM_VERNEGANIMATION : 0, at);
            break;
        }
        case TrayIcon::Request::DefaultMessage:
            if (const MessageEntry* entry = messageMenu_->Menu().DefaultMessageItem) {
                MessageItemClick(MessageChoice::From(*entry));
            } else {
                launcher_->StartCurrentSaver();
            }
            break;
        case TrayIcon::Request::None:
            break;
    }
}

// Once the first-start question is over (the LAN has heard of this PC), and
// each time the shell takes the icon after that.
void TPavluneMainForm::TellIconPlace() {
    if (!introduced_ || !tray_->Shown()) return;
    SettingsFile settings(settingsPath_);
    TellIconPlaceOnce(context_.Dialogs, Handle(), context_.ExePath, settings);
}

void TPavluneMainForm::PopupMenuRPopup() {
    MenuItem& start = commandMenu_.Item("RMenuStartScreenSaver");
    if (!start.Items.empty()) start.Items.front().Enabled = ReadScreenSaverActive();
}

void TPavluneMainForm::OpenMenu(const std::vector<MenuItem>& items, HIMAGELIST images, UINT extraFlags, POINT at) {
    menuOpen_ = true;
    std::function<void()> action = TrackMenu(Handle(), items, at, {images, extraFlags, VersionInfo.ExtendedMenuItems});
    menuOpen_ = false;
    if (action) action();
    tray_->GiveFocusBack();
}

void TPavluneMainForm::MessageItemClick(const MessageChoice& choice) {
    std::string settingsName = saverText_.GetSaverName(kSaverSettingsName);
    std::string base = MessageBase(choice.Caption);
    std::string addition;
    if (choice.AskAddString) {
        TPavluneAddStringDialog dialog(Handle(), context_.Instance, context_.Dialogs, programFolder_,
                                       choice.AddStringsFile, commandMenu_.IsChecked("RMenuAutoAddStringSave"),
                                       commandMenu_.IsChecked("RMenuAutoAddStringSort"));
        if (!dialog.ShowModal()) return;  // Cancel: nothing written, sent or started
        addition = dialog.Text();
    }
    std::string message = ComposeMessage(base, addition);

    // Where the administrator fixes another saver, or none, Windows ignores
    // what would be written: the LAN still hears the message, the user
    // learns why the screen stays as it is, and nothing is touched.
    if (!launcher_->MessageSaverCanShow()) {
        SendStatus(message);
        if (VersionInfo.Nt) SignStarted();
        TellOnce(saverFixedTold_,
                 "このPCのスクリーンセーバーは管理者が設定しているため、伝言を画面に表示できません。"
                 "伝言はほかの人に送りました。");
        return;
    }

    // The 3D Text saver's values would be lost if the settings file cannot
    // keep them: the LAN hears the message, the user learns why the screen
    // stays as it is, and the key is not touched.
    if (!threeDText_.Show(message)) {
        SendStatus(message);
        TellOnce(settingsUnwritableTold_,
                 "設定ファイル " + settingsPath_ +
                     " に書き込めないため、伝言を画面に表示できません。伝言はほかの人に送りました。");
        return;
    }
    // The saver shows the message from its first frame, and the LAN hears
    // of it before the saver covers the screen.
    std::string previousText = saverText_.ExchangeSaverText(settingsName, message);
    std::string previousDemoType;
    if (commandMenu_.IsChecked("RMenu3D")) previousDemoType = saverText_.ExchangeSaverDemoType(settingsName, "0");
    SendStatus(message);
    if (launcher_->StartSaver(launcher_->MessageSaverPath(), false)) backAtDesk_->SaverEnded();
    else if (VersionInfo.Nt) SignStarted();

    if (commandMenu_.IsChecked("RMenuScreenSaverJack")) {
        // On Vista to 11 every message ends here. The message stays for the
        // idle start while the program runs; the 3D Text saver's own key gets
        // the user's values back when the program ends.
        launcher_->TakeOver();
        return;
    }
    settingsName = saverText_.GetSaverName(kSaverSettingsName);
    saverText_.ExchangeSaverText(settingsName, previousText);
    if (commandMenu_.IsChecked("RMenu3D")) saverText_.ExchangeSaverDemoType(settingsName, previousDemoType);
    threeDText_.Restore();
}

// Every status the user causes goes out here: a chosen message, the
// default one of a double-click, and the return to the desk.
void TPavluneMainForm::SendStatus(const std::string& whereabouts) {
    presence_->SendStatus(StatusPayload(whereabouts, MyName));
}

// The administrator's saver, or the message saver through the idle time-out.
void TPavluneMainForm::SignStarted() {
    backAtDesk_->SignStarted(session_->HearsUnlocks(), password_.ReadPasswordState());
}

// Back at the desk, the table says so without a click: the default message
// as it is, without a phrase and without a saver. A default entry for free
// text has nothing to say by itself.
void TPavluneMainForm::CameBack() {
    if (ending_ || !commandMenu_.IsChecked("RMenuBackAtDesk")) return;
    const MessageEntry* entry = messageMenu_->Menu().DefaultMessageItem;
    const std::string message = entry ? MessageBase(entry->Caption) : std::string();
    if (!message.empty()) SendStatus(message);
}

// Why a message stays off the screen is said once per session.
void TPavluneMainForm::TellOnce(bool& told, const std::string& text) {
    if (told) return;
    told = true;
    context_.Dialogs.ShowMessage(Handle(), text, kApplicationTitle, MB_OK | MB_ICONINFORMATION);
}

void TPavluneMainForm::RMenuAboutClick() {
    TAboutBox(Handle(), context_.Instance, context_.Dialogs, programFolder_).ShowModal();
}

void TPavluneMainForm::RMenuPasswordEnabledClick() { password_.RMenuPasswordEnabledClick(); }

void TPavluneMainForm::RMenuPasswordChangeClick() { password_.RMenuPasswordChangeClick(); }

void TPavluneMainForm::N8Click() { presence_->N8Click(); }

void TPavluneMainForm::N9Click() { presence_->RequestStates(); }

void TPavluneMainForm::RMenuFirewallClick() { firewall_->Start(true); }

void TPavluneMainForm::RMenuReloadClick() { messageMenu_->LoadMessageMenu(); }

void TPavluneMainForm::RMenuAutoMenuReloadClick() {
    if (commandMenu_.IsChecked("RMenuAutoMenuReload")) {
        StopWatcher(MenuFileWatcher);
        quietReload_.Stop();  // a reload already waiting would read a file the user may be writing
    } else {
        MenuFileWatcher = std::make_unique<TFileWaitThread>(Handle(), WM_DEFFILE_CHANGED,
                                                            WatchedFolder(context_.ExePath), true);
        MenuFileWatcher->Resume();
    }
    commandMenu_.InvertChecked("RMenuAutoMenuReload");
}

// Windows 98, Me and the NT line notify changes of a registry key; Windows
// 95 only those of the folder of the user's registry file.
void TPavluneMainForm::StartDesktopWatcher() {
    if (VersionInfo.Nt || !VersionInfo.Windows95) {
        DesktopWatcher = std::make_unique<TRegWaitThread>(Handle(), WM_DESKTOP_CHANGED, kDesktopKey, false);
    } else {
        DesktopWatcher =
            std::make_unique<TFileWaitThread>(Handle(), WM_DESKTOP_CHANGED, WatchedFolder(GetUserHivePath()), false);
    }
}

// Editors save in steps (truncate and write, or write another file and
// rename it over), and the folder's notice may come at the first of them.
// The file is read once the folder has been quiet for a moment; notices
// meanwhile make one reload, not one each. A folder that is never quiet (a
// log written beside the program every moment) still has the file read a
// few seconds after the first notice; each notice looks at the clock, as a
// steady stream of posted messages holds timer messages off. A notice that
// was on its way when automatic reload went off is let go.
void TPavluneMainForm::DefinitionFolderChanged() {
    if (!commandMenu_.IsChecked("RMenuAutoMenuReload")) return;
    if (!quietReload_.Running()) firstNotice_ = GetTickCount();
    if (GetTickCount() - firstNotice_ < kLongestReloadWait) {
        quietReload_.Start(kQuietMilliseconds);
        return;
    }
    quietReload_.Stop();
    RMenuReloadClick();
}

}  // namespace pavlune
