// Shared pieces of the Windows tests: a scratch folder, whole-file access and
// the scripted dialog seam.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/dialogs.h"

namespace pavlune::test {

// A fresh folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Full path of name inside the folder.
    std::string Path(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);  // empty when missing
bool FileExists(const std::string& path);

// Message boxes are recorded instead of shown.
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        std::string Text;
        std::string Caption;
        UINT Flags;
    };
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
    // Answers with the next scripted reply, or the default (Cancel) when none is left.
    std::string InputBox(HWND owner, const std::string& caption, const std::string& prompt,
                         const std::string& defaultText, int maxLength) override;

    std::vector<Shown> Messages;
    struct Asked {
        std::string Caption, Prompt, DefaultText;
        int MaxLength;
    };
    std::vector<Asked> Inputs;
    std::vector<std::string> InputReplies;
};

// Handles the messages waiting in this thread's queue. Returns true when a
// WM_QUIT was among them (the loop would have ended there).
bool PumpMessages();

}  // namespace pavlune::test
