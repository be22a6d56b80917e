#include "menu/add_strings.h"

#include <algorithm>

#include "common/sjis.h"
#include "menu/definition_file.h"

namespace pavlune {

std::vector<std::string> ReadPhraseList(std::string_view bytes) {
    std::vector<std::string> phrases;
    for (std::string_view line : SplitLines(bytes)) phrases.emplace_back(line.substr(0, line.find('\0')));
    return phrases;
}

std::string WritePhraseList(const std::vector<std::string>& phrases) {
    std::size_t size = 0;
    for (const std::string& phrase : phrases) size += phrase.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& phrase : phrases) {
        bytes += phrase;
        bytes += "\r\n";
    }
    return bytes;
}

std::string PhraseListPath(std::string_view programFolder, std::string_view name) {
    return std::string(programFolder) + std::string(name);
}

std::string PhraseListNotReadMessage(std::string_view path) { return std::string(path) + "を開けません"; }

std::string PhraseListNotWrittenMessage(std::string_view path) {
    return "ファイル " + std::string(path) + " を作成できません";
}

std::string UpperCaseAscii(std::string_view name) {
    std::string upper(name);
    for (std::size_t pos = 0; pos < upper.size(); pos += CharLength(upper, pos)) {
        if (upper[pos] >= 'a' && upper[pos] <= 'z') upper[pos] = static_cast<char>(upper[pos] - 'a' + 'A');
    }
    return upper;
}

std::vector<std::string> PhraseListNames(const MessageMenu& menu, const NameUpperCase& upperCase,
                                         const NameCompare& compare) {
    std::vector<std::string> names;
    auto add = [&](const MessageEntry& entry) {
        if (!entry.AddStringsFile.empty()) names.push_back(upperCase(entry.AddStringsFile));
    };
    for (const auto& entry : menu.Entries) {
        for (const auto& child : entry->Children) add(*child);
        add(*entry);
    }
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        if (compare) {
            int order = compare(a, b);
            if (order != 0) return order < 0;
        }
        return a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

void FillPhraseListMenu(MenuItem& parent, const std::vector<std::string>& names,
                        const std::function<void(const std::string& caption)>& open) {
    parent.Items.clear();
    for (const std::string& name : names) {
        MenuItem item;
        item.Caption = name;
        item.IsDefault = UpperCaseAscii(name) == kDefaultPhraseListCaption;
        item.ImageIndex = kPhraseListImage;
        item.OnClick = [open, name] { open(name); };
        parent.Items.push_back(std::move(item));
    }
}

}  // namespace pavlune
