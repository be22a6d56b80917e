#include "menu/definition_file.h"

#include <map>

#include "common/sjis.h"

namespace pavlune {

namespace {

// A loaded icon that has not reached the image list yet. Dropped when it goes
// out of scope unless appended, so an error on the same line leaks nothing.
class PendingIcon {
public:
    explicit PendingIcon(IconSource& icons) : icons_(icons) {}
    PendingIcon(const PendingIcon&) = delete;
    PendingIcon& operator=(const PendingIcon&) = delete;
    ~PendingIcon() {
        if (loaded_) icons_.Drop(token_);
    }

    void Load(const std::string& path) {
        token_ = icons_.Load(path);
        loaded_ = true;
    }
    bool Loaded() const { return loaded_; }
    int Append() {
        loaded_ = false;
        return icons_.Append(token_);
    }

private:
    IconSource& icons_;
    int token_ = 0;
    bool loaded_ = false;
};

// Reads a mark that opens with `mark` at the front of rest: removes the
// opening character, then the name up to the first closing `mark` and that
// character. Returns the name, empty when there is none.
std::string TakeMark(std::string_view& rest, char mark) {
    rest.remove_prefix(1);
    std::size_t close = FindChar(rest, mark);
    if (close == std::string_view::npos) return {};
    std::string name(rest.substr(0, close));
    rest.remove_prefix(close + 1);
    return name;
}

bool StartsWith(std::string_view text, char c) { return !text.empty() && text.front() == c; }

// The top-level entries by caption, the first of equal captions winning, so a
// long file with many groups is not searched line by line.
class TopLevelIndex {
public:
    MessageEntry* Find(std::string_view caption) const {
        auto found = byCaption_.find(caption);
        return found == byCaption_.end() ? nullptr : found->second;
    }
    void Append(MessageMenu& menu, std::unique_ptr<MessageEntry> entry) {
        byCaption_.emplace(entry->Caption, entry.get());
        menu.Entries.push_back(std::move(entry));
    }

private:
    std::map<std::string, MessageEntry*, std::less<>> byCaption_;
};

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end == text.size()) break;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string_view> DefinitionLines(std::string_view file) {
    std::vector<std::string_view> lines = SplitLines(file.substr(0, file.find('\0')));
    std::erase_if(lines, [](std::string_view line) { return line.substr(0, 2) == "//"; });
    return lines;
}

DefinitionOutcome BuildMessageMenu(std::string_view file, MessageMenu& menu, IconSource& icons) {
    menu.Clear();
    std::vector<std::string_view> lines = DefinitionLines(file);
    if (lines.empty()) return DefinitionOutcome::Empty;

    TopLevelIndex topLevel;
    for (std::string_view rest : lines) {
        auto entry = std::make_unique<MessageEntry>();
        PendingIcon groupIcon(icons);

        if (StartsWith(rest, '#')) {
            entry->IsDefault = true;
            rest.remove_prefix(1);
        }
        if (StartsWith(rest, '@')) {
            entry->AskAddString = true;
            std::string name = TakeMark(rest, '@');
            entry->AddStringsFile = name.empty() ? kDefaultAddStringsFile : name;
        }
        if (StartsWith(rest, '$')) {
            std::string name = TakeMark(rest, '$');
            if (!name.empty()) groupIcon.Load(name);
        }
        if (StartsWith(rest, '$')) {
            std::string name = TakeMark(rest, '$');
            if (!name.empty()) {
                PendingIcon entryIcon(icons);
                entryIcon.Load(name);
                entry->IconIndex = entryIcon.Append();
            }
        }

        std::string_view text = TrimControl(rest);
        if (text.empty()) text = kFreeTextCaption;
        std::size_t backslash = FindChar(text, '\\');
        if (backslash != std::string_view::npos && backslash + 1 == text.size()) {
            return DefinitionOutcome::Faulty;
        }

        MessageEntry* placed = entry.get();
        if (backslash == std::string_view::npos) {
            entry->Caption = std::string(text);
            entry->HasAction = !entry->IsSeparator();
            if (groupIcon.Loaded()) entry->IconIndex = groupIcon.Append();
            topLevel.Append(menu, std::move(entry));
        } else {
            std::string_view groupName = text.substr(0, backslash);
            entry->Caption = std::string(text.substr(backslash + 1));
            entry->HasAction = !entry->IsSeparator();
            if (MessageEntry* existing = topLevel.Find(groupName)) {
                if (groupIcon.Loaded() && entry->IconIndex < 0) entry->IconIndex = groupIcon.Append();
                existing->Children.push_back(std::move(entry));
            } else {
                auto group = std::make_unique<MessageEntry>();
                group->Caption = std::string(groupName);
                if (groupIcon.Loaded()) group->IconIndex = groupIcon.Append();
                group->Children.push_back(std::move(entry));
                topLevel.Append(menu, std::move(group));
            }
        }
        if (placed->IsDefault) menu.DefaultMessageItem = placed;
    }
    return DefinitionOutcome::Loaded;
}

std::string MissingDefinitionFileMessage(std::string_view path) {
    return "メニュー定義ファイル" + std::string(path) + "が見つかりません。\n\nプログラムを終了します。";
}

std::string IconNotOpenedMessage(std::string_view path) {
    return "ファイル " + std::string(path) + " は開けません";
}

}  // namespace pavlune
