// Popup menus as data. The program's options are the check marks of the
// command menu's items; the shell renders a model into a real menu each time
// it opens and runs the chosen item's OnClick.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pavlune {

struct MenuItem {
    std::string Name;
    std::string Caption;          // "-" draws a separator line
    int GroupIndex = 0;
    bool RadioItem = false;       // checking it unchecks the radio items of its group
    int ImageIndex = -1;          // -1: no picture
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool IsDefault = false;       // drawn bold
    std::string Hint;             // hint text; a listed saver keeps its full path here
    std::vector<MenuItem> Items;  // a submenu when not empty
    std::function<void()> OnClick;

    bool IsSeparator() const { return Caption == "-"; }
};

class PopupMenuModel {
public:
    explicit PopupMenuModel(std::vector<MenuItem> items) : items_(std::move(items)) {}

    std::vector<MenuItem>& Items() { return items_; }
    const std::vector<MenuItem>& Items() const { return items_; }

    // The top-level item of that name; throws std::out_of_range when absent.
    MenuItem& Item(std::string_view name);
    const MenuItem& Item(std::string_view name) const;

    // Sets the check of a top-level item, keeping its radio group consistent.
    void SetChecked(std::string_view name, bool checked);
    void InvertChecked(std::string_view name) { SetChecked(name, !Item(name).Checked); }
    bool IsChecked(std::string_view name) const { return Item(name).Checked; }

private:
    std::vector<MenuItem> items_;
};

}  // namespace pavlune
