// Owns the message menu and its image list and (re)loads them from the menu
// definition file beside the executable.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "menu/message_menu.h"
#include "win/dialogs.h"
#include "win/handles.h"

namespace pavlune {

class MessageMenuLoader {
public:
    // owner receives the end request (WM_QUIT) after a fatal file error.
    MessageMenuLoader(HWND owner, std::string definitionPath, UserDialogs& dialogs);
    MessageMenuLoader(const MessageMenuLoader&) = delete;
    MessageMenuLoader& operator=(const MessageMenuLoader&) = delete;

    // Rebuilds the menu, its images and the default entry from the file. A
    // missing, empty or faulty file is reported and ends the program; an icon
    // that cannot be loaded throws, leaving the entries of the lines before it.
    void LoadMessageMenu();

    // Whether a fatal definition file has ended the program: the message
    // loop stops at the next message.
    bool Ending() const { return ending_; }

    const std::string& DefinitionPath() const { return definitionPath_; }
    MessageMenu& Menu() { return menu_; }
    const MessageMenu& Menu() const { return menu_; }
    // ImageList2: the pictures of the message menu.
    HIMAGELIST Images() const { return images_.get(); }

private:
    void EndProgram(const std::string& message);

    HWND owner_;
    std::string definitionPath_;
    UserDialogs& dialogs_;
    MessageMenu menu_;
    UniqueImageList images_;
    bool ending_ = false;
};

}  // namespace pavlune
