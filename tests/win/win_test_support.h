// Shared pieces of the Windows tests: a scratch folder, whole-file access and
// the scripted dialog seam.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/name_dialog.h"
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

// Where a window sits in its parent's client area.
struct Place {
    int Left, Top, Width, Height;
    bool operator==(const Place&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Place& place);
Place PlaceInParent(HWND window);

std::string Text(HWND window);  // the window's text
LOGFONTA FontOf(HWND control);  // the font the control draws with

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);  // empty when missing
bool FileExists(const std::string& path);

// Message boxes are recorded instead of shown.
class ScriptedDialogs : public UserDialogs, public NameQuestion {
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
    // The first start's question: answered with NameReply (nothing: Cancel).
    std::optional<PresenceNameFields> AskPresenceName(HWND owner) override;
    int NamesAsked = 0;
    std::optional<PresenceNameFields> NameReply;
    std::function<void(HWND owner)> WhileAsked;  // runs first, as while the question is open
};

// Handles the messages waiting in this thread's queue. Returns true when a
// WM_QUIT was among them (the loop would have ended there).
bool PumpMessages();

std::string SystemDirectory();
std::string WindowsDirectory();

// Expects the window's client area to be width x height and the window to
// sit in the middle of the screen.
void ExpectClientSizeInTheMiddle(HWND window, int width, int height);

// An environment variable of the test run; empty when it is not set.
std::string Environment(const char* name);

// The Linux path in that environment variable, as Windows sees it on Z:.
std::string PathOnZ(const char* variable);

// A stand-in program of tests/saver, built in the Linux folder
// PAVLUNE_STANDIN_DIR that Wine shows on Z:.
std::string StandIn(const std::string& program);

// The version record the prefix reports.
OSVERSIONINFOA ReportedVersion();

// The facts of the Windows version this run's prefix is set to
// (PAVLUNE_WINE_VERSION), found by their .version; nullptr when none match.
template <typename Facts, std::size_t N>
const Facts* FactsOfThisPrefix(const Facts (&lines)[N]) {
    const std::string version = Environment("PAVLUNE_WINE_VERSION");
    for (const Facts& line : lines) {
        if (version == line.version) return &line;
    }
    return nullptr;
}

// Points the shell's "open" of a kind of file or link (a class under
// HKEY_CLASSES_ROOT) at a command that writes what it was given into
// recordPath, so nothing real is started. Fails the test when it cannot.
void RecordShellOpen(const char* kind, const std::string& recordPath);

// Waits up to 20 s for that command to write its line into path; returns the
// line without blanks and quotes around it.
std::string AwaitRecordedLine(const std::string& path);

// Runs show(), which shows a modal box with that caption and returns when
// it closes; once the box is on the screen, look(box) runs from a timer and
// must close it (or make it close). A box that does not appear, or does not
// close within ten seconds, fails the test and is ended with closeResult, so
// a fault fails the test instead of hanging it. Returns whether look ran.
bool WatchModal(const char* caption, const std::function<void(HWND box)>& look, const std::function<void()>& show,
                INT_PTR closeResult);

// Handles messages until done() holds or the deadline (ten seconds unless
// given) has passed; the deadline only keeps a broken program from hanging
// the test.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000);
// Handles messages for that long; for showing that something did not happen.
void PumpFor(DWORD milliseconds);

// When PAVLUNE_PICTURES names a folder, saves the window as it is on the
// screen, frame included, as name.bmp there (pictures for people to look at).
void SaveWindowPicture(HWND window, const std::string& name);


}  // namespace pavlune::test
