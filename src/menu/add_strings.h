// Phrase lists: the files of additional strings offered by the add-string
// dialog, one phrase a line, and the names shown in the command menu's
// "open phrase file" submenu.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/menu_model.h"
#include "menu/message_menu.h"

namespace pavlune {

// The phrases of a list file's bytes, one per line (CR LF, lone CR or lone
// LF). A blank line is the empty phrase; a line end at the very end of the
// file makes no extra one, so "A\r\nB\r\n" gives A, B. A phrase ends at a zero
// byte (no list control can hold one); the lines after it are still read.
std::vector<std::string> ReadPhraseList(std::string_view bytes);

// The bytes of a list file: every phrase followed by CR LF, the last one
// included; no phrase gives no byte. ReadPhraseList reads them back as they
// were.
std::string WritePhraseList(const std::vector<std::string>& phrases);

// Where a list file lives: the program's folder (with its trailing
// backslash) followed directly by the name, sub-folders and all.
std::string PhraseListPath(std::string_view programFolder, std::string_view name);

// "<path>を開けません", shown when a list file cannot be read.
std::string PhraseListNotReadMessage(std::string_view path);
// "ファイル <path> を作成できません", shown when a list file cannot be written.
std::string PhraseListNotWrittenMessage(std::string_view path);

// Upper-cases a file name for the submenu.
using NameUpperCase = std::function<std::string(std::string_view name)>;
// Orders two names: negative, zero or positive, as strcmp does.
using NameCompare = std::function<int(std::string_view a, std::string_view b)>;

// Upper-cases ASCII a-z only, walking Shift-JIS characters so that no second
// byte of a two-byte character is touched.
std::string UpperCaseAscii(std::string_view name);

// The list files named by the message menu, for the submenu: for each
// top-level entry, its children's files and then its own, upper-cased; each
// name once, in ascending order of compare. Names that compare equal but
// differ in their bytes are all kept (byte order between them), so no file
// drops out of the submenu.
std::vector<std::string> PhraseListNames(const MessageMenu& menu, const NameUpperCase& upperCase = UpperCaseAscii,
                                         const NameCompare& compare = nullptr);

// The caption of the default list in the submenu, drawn bold.
inline constexpr const char* kDefaultPhraseListCaption = "PAVLUNE.2.TXT";
// The image of every submenu item in the command menu's image list.
inline constexpr int kPhraseListImage = 18;

// Replaces the sub-items of parent (RMenuOpenAddStringsFile) with one item per
// name: bold for the default list, image 18; a click hands the caption to open.
void FillPhraseListMenu(MenuItem& parent, const std::vector<std::string>& names,
                        const std::function<void(const std::string& caption)>& open);

}  // namespace pavlune
