// The menu definition file: Shift-JIS lines, each an away message with
// optional marks (# default, @ additional string, $ icons) and an optional
// group name before a backslash. Pure: bytes in, a message menu out; icons
// are loaded and appended through IconSource in the order the lines ask.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "menu/message_menu.h"

namespace pavlune {

// Loads icon files for the parser and owns them until they are appended to
// the message menu's image list or dropped. Load throws pavlune::Error with
// the user's message when the file cannot be opened or is no icon.
class IconSource {
public:
    virtual ~IconSource() = default;
    // Loads the icon at path (used exactly as written); returns a token.
    virtual int Load(const std::string& path) = 0;
    // Appends a loaded icon to the image list; returns its image index.
    virtual int Append(int token) = 0;
    // Releases a loaded icon that is not shown.
    virtual void Drop(int token) = 0;
};

enum class DefinitionOutcome {
    Loaded,
    Empty,   // no line left once the comments are dropped
    Faulty,  // a text ends with a backslash; the earlier lines are in the menu
};

// The text split into lines at CR LF, a lone CR or a lone LF. A line end at
// the very end makes no extra empty line; a blank line elsewhere is a line.
std::vector<std::string_view> SplitLines(std::string_view text);

// The file's text split into lines (CR LF, lone CR or lone LF), cut at the
// first zero byte, comment lines ("//" at the very start) dropped.
std::vector<std::string_view> DefinitionLines(std::string_view file);

// Replaces the message menu's entries with those of the file's bytes. An icon
// error propagates from IconSource::Load; the lines before it stay in the menu.
DefinitionOutcome BuildMessageMenu(std::string_view file, MessageMenu& menu, IconSource& icons);

// The texts of the three fatal conditions; each ends the program.
std::string MissingDefinitionFileMessage(std::string_view path);
inline constexpr const char* kEmptyDefinitionFileMessage =
    "メニュー定義ファイルが空です。\n\nプログラムを終了します。";
inline constexpr const char* kFaultyDefinitionFileMessage =
    "メニュー定義ファイルに誤りがあります。\n\nプログラムを終了します。";

// The texts of the icon errors.
std::string IconNotOpenedMessage(std::string_view path);
inline constexpr const char* kInvalidIconMessage = "アイコンイメージが不正です";

}  // namespace pavlune
