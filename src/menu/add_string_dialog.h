// TPavluneAddStringDialog: asks for the additional string of a message entry
// marked "@", typed or picked from the entry's phrase list, and keeps that
// list file up to date. BuildAddStringsFileMenu fills the command menu's
// submenu that opens the phrase list files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/menu_model.h"
#include "menu/message_menu.h"
#include "win/code_built_dialog.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

inline constexpr const char* kAddStringDialogCaption = "追加文の入力";

// Made for one selection and destroyed by the caller:
//
//   TPavluneAddStringDialog dialog(mainWindow, instance, dialogs, ExtractFilePath(ModuleFileName()),
//                                  entry.AddStringsFile, saveChecked, sortChecked);
//   if (dialog.ShowModal()) addition = dialog.Text();
class TPavluneAddStringDialog : private CodeBuiltDialog {
public:
    // Reads the list file programFolder + listFileName (programFolder ends in
    // a backslash; the name may hold sub-folders). When it cannot be read the
    // user hears a beep and sees "<full path>を開けません"; the dialog then
    // starts with an empty list. saveOption: the list is written back at every
    // close, a new phrase first. sortOption: the drop-down list is sorted.
    TPavluneAddStringDialog(HWND owner, HINSTANCE instance, UserDialogs& dialogs, const std::string& programFolder,
                            const std::string& listFileName, bool saveOption, bool sortOption);

    // Shows the dialog modally. True for OK (button or Enter); false for
    // Cancel (button, Esc or close box), also when the dialog could not be
    // built (the error box has said why). With the save option on, the list
    // file is rewritten on every close; when that fails the error box says
    // "ファイル <full path> を作成できません" and the result stands.
    // Throws pavlune::Error when no dialog can be made at all.
    bool ShowModal();

    // The input field's text as it was when the dialog closed.
    std::string Text() const { return text_; }

private:
    void OnInit() override;
    void OnOK() override;
    void OnCancel() override;

    void FillList();
    void Close(int result);
    void OKBtnClick();
    void FormClose();
    std::optional<std::vector<std::string>> ListEntries() const;

    HWND owner_;
    UserDialogs& dialogs_;
    const std::string path_;
    const bool saveOption_;
    const bool sortOption_;
    std::vector<std::string> phrases_;  // as read, until the list holds them
    HWND comboBox_ = nullptr;
    UniqueFont font_;
    bool listRead_ = true;       // read whole, or missing: it may be written
    bool listComplete_ = false;  // every phrase read is in the list, so it may be written back
    std::string text_;
};

// Fills the submenu of RMenuOpenAddStringsFile with the phrase list files the
// message menu names: upper-cased by the system, each once, in the user's
// locale order, PAVLUNE.2.TXT bold, image 18. A click opens that file in
// programFolder (ending in a backslash) with the shell, whatever the working
// folder; failures are not reported.
void BuildAddStringsFileMenu(PopupMenuModel& commandMenu, const MessageMenu& menu, const std::string& programFolder);

}  // namespace pavlune
