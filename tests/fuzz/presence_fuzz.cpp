// Arbitrary bytes as a stream of presence datagrams into one status table,
// split at 0xFF bytes (never part of Shift-JIS text). Besides crashes and
// undefined behaviour, it checks what must hold after every datagram: one row
// per name, rows that are pieces of what was received, and a table that only
// loses the sender's row and gains one at the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/sjis.h"
#include "lan/presence.h"

namespace {

using namespace pavlune;

constexpr auto npos = std::string_view::npos;

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Same(const StatusRow& a, const StatusRow& b) {
    return a.Name == b.Name && a.Whereabouts == b.Whereabouts && a.SetTime == b.SetTime &&
           a.Category1 == b.Category1 && a.Category2 == b.Category2 && a.PeerAddress == b.PeerAddress;
}

// The key of a row: ASCII letters of single-byte characters in upper case.
std::string Key(std::string_view name) {
    std::string key(name);
    for (std::size_t pos = 0; pos < key.size(); pos += CharLength(key, pos)) {
        if (key[pos] >= 'a' && key[pos] <= 'z') key[pos] = static_cast<char>(key[pos] - 'a' + 'A');
    }
    return key;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsLastField(std::string_view field) {
    return FindChar(field, '\\') == npos && field.find('\0') == npos;
}

// A field that a separator followed in the text: that separator was the
// first one, so the field cannot end in a lead byte that would take it.
bool IsField(std::string_view field) {
    return IsLastField(field) && FindChar(std::string(field) + "\\", '\\') == field.size();
}

void CheckTable(const std::vector<StatusRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StatusRow& row = rows[i];
        Check(IsField(row.Name) && IsField(row.Whereabouts) && IsField(row.SetTime));
        Check(row.Category2 ? IsField(row.Category1) : IsLastField(row.Category1));
        if (row.Category2) Check(row.Category2->find('\0') == npos);
        for (std::size_t j = i + 1; j < rows.size(); ++j) Check(Key(row.Name) != Key(rows[j].Name));
    }
}

// The rows that stay keep their order, at most one leaves, and a row that
// joins comes last, named by the datagram: its fields end the text. When one
// row takes the place of another, both have the sender's name.
void CheckChange(const std::vector<StatusRow>& before, const std::vector<StatusRow>& after,
                 std::string_view text, const std::string& from) {
    std::size_t i = 0;
    std::size_t j = 0;
    const StatusRow* left = nullptr;
    while (i < before.size() && j < after.size()) {
        if (Same(before[i], after[j])) {
            ++i;
            ++j;
        } else {
            Check(left == nullptr);
            left = &before[i++];
        }
    }
    if (i < before.size()) {
        Check(left == nullptr && i + 1 == before.size());
        left = &before[i];
    }
    Check(after.size() - j <= 1);
    if (j == after.size()) return;

    const StatusRow& joined = after.back();
    if (left) Check(Key(left->Name) == Key(joined.Name));
    Check(joined.PeerAddress == from);
    std::string end = "\\" + joined.Whereabouts + "\\" + joined.Name + "\\" + joined.Category1;
    if (joined.Category2) end += "\\" + *joined.Category2;
    Check(EndsWith(text, end));
    Check(text.substr(0, joined.SetTime.size() + 1) == joined.SetTime + "\\");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    StatusTable table;
    for (int index = 0;; ++index) {
        const std::size_t end = input.find('\xFF');
        const std::string_view datagram = input.substr(0, end);
        const std::string from = "192.0.2." + std::to_string(index % 4);

        const std::string_view text = DatagramText(datagram);
        Check(text.find('\0') == npos && datagram.substr(0, text.size()) == text);

        const std::vector<StatusRow> before = table.Rows();
        const PresenceAction action = table.Receive(datagram, from);
        if (action == PresenceAction::Refill) {
            CheckChange(before, table.Rows(), text, from);
        } else {
            Check(table.Rows().size() == before.size());
            for (std::size_t i = 0; i < before.size(); ++i) Check(Same(before[i], table.Rows()[i]));
        }
        CheckTable(table.Rows());

        if (end == npos) break;
        input.remove_prefix(end + 1);
    }
    return 0;
}
