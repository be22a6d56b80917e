// Starting screen savers and the commands around them in the command menu:
// the start submenu with every saver of the system directory, the savers'
// own configuration dialogs, and the take-over that makes the message saver
// the system's current saver. The main window owns one SaverLauncher.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "common/menu_model.h"
#include "saver/saver_names.h"
#include "saver/saver_text_store.h"
#include "win/dialogs.h"

namespace pavlune {

class SaverLauncher {
public:
    struct Context {
        HWND MainWindow;                        // brought to the front before a configuration dialog
        WindowsVersion Version;
        PopupMenuModel& CommandMenu;            // RMenuStartScreenSaver, RScreenSaverConfig, RMenuScreenSaverJack...
        SaverTextStore& SaverText;              // the message saver's name (GetSaverName)
        UserDialogs& Dialogs;
        HIMAGELIST CommandImages;               // the command menu's pictures; saver icons are appended
        std::function<void()> ClearLastSentState;  // called after a saver started as a process has ended
        std::string DefinitionFilePath;         // the menu definition file, opened by RMenuOpenStringTable
        std::string ProgramFolder;              // ends in a backslash; may hold the message saver
    };

    // The item of the start submenu that starts the current saver.
    static constexpr const char* kCurrentSaverItem = "RMenuCurrentSaver";

    explicit SaverLauncher(Context context);
    // The menu items' actions point at this object: it stays where it is.
    SaverLauncher(const SaverLauncher&) = delete;
    SaverLauncher& operator=(const SaverLauncher&) = delete;

    // Starts the saver at path (a full path or a bare file name). As a child
    // process with "/S", waited for, with the screen-saver-active flag off
    // meanwhile: on the 9x line always, on the NT line when direct. On the
    // NT line with direct false (the message saver after a message was
    // chosen) the take-over option is checked, the message saver is made
    // the current saver (TakeOver, which may throw), and the system's idle
    // time-out is set to one second for three seconds instead, the current
    // thread sleeping meanwhile. True when the saver ran as a process and
    // has ended.
    bool StartSaver(const std::string& path, bool direct);
    // A saver started as a process is running; the window's messages go on meanwhile.
    bool AwaitingSaver() const { return awaiting_; }
    // Whether the message saver can show the away sign: no policy of the
    // administrator fixes another saver or switches savers off.
    bool MessageSaverCanShow() const;

    // Starts the saver of SYSTEM.INI [boot] SCRNSAVE.EXE, the message saver
    // when none is set.
    void StartCurrentSaver();

    // Click of "現在設定中のセーバー": starts the current saver, or with the
    // right mouse button opens its configuration.
    void RMenuStartScreenSaverClick();
    // Click of a listed saver: starts it, or with the right mouse button
    // down opens its configuration.
    void SaverItemClick(const std::string& path);
    // Opens the current saver's configuration; tells the user when none is set.
    void RScreenSaverConfigClick();
    // Opens the message saver's configuration.
    void RMenuMarqueeSaverConfigClick();
    // Opens the menu definition file with the shell's default verb.
    void RMenuOpenStringTableClick();

    // Fills the submenu of RMenuStartScreenSaver from the "*.scr" files of
    // the system directory, sorted by display name, one item per name. With
    // none it tells the user and disables RMenuStartScreenSaver. Once at
    // start-up.
    void BuildSaverSubmenu();

    // The message saver as it is started and configured: its file name,
    // found in the system directory; or, when the system directory lacks it
    // and the program's folder has it (as an unzipped copy of the program
    // brings it), that file's full path, in short form where it holds a
    // blank and the system gives one.
    std::string MessageSaverPath() const;

    // Makes the message saver the system's current saver: the active flag
    // goes on (unless the saver is switched off in the command menu), and
    // SYSTEM.INI [boot] SCRNSAVE.EXE gets the saver's full path (the one
    // beside the program when the system directory lacks it). Throws Error
    // "SYSTEM.INI に書き込めません" when SYSTEM.INI refuses the write.
    void TakeOver();

    // The name a saver file is listed under: on the NT line its string
    // resource 1, else 100, else empty (also when it cannot be read); on the
    // 9x line its file name without folder and extension.
    std::string GetSaverDisplayName(const std::string& path) const;
    // Appends the file's shell icon to CommandImages; returns its index, or
    // -1 when there is no icon to add.
    int AddSaverIcon(const std::string& path);

    // Sets the clicks of RScreenSaverConfig, RMenuMarqueeSaverConfig and
    // RMenuOpenStringTable. The start submenu's items get theirs in
    // BuildSaverSubmenu.
    void WireCommands();

private:
    std::string MessageSaverFileName() const;
    std::string SaverBesideProgram(const std::string& fileName) const;
    bool StartAsProcess(const std::string& path, bool wasActive);
    void StartByIdleTimeout(bool wasActive);

    Context context_;
    bool awaiting_ = false;
};

}  // namespace pavlune
