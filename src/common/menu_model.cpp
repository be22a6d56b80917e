#include "common/menu_model.h"

#include <stdexcept>

namespace pavlune {

MenuItem& PopupMenuModel::Item(std::string_view name) {
    return const_cast<MenuItem&>(static_cast<const PopupMenuModel&>(*this).Item(name));
}

const MenuItem& PopupMenuModel::Item(std::string_view name) const {
    for (const MenuItem& item : items_) {
        if (item.Name == name) return item;
    }
    throw std::out_of_range("no menu item " + std::string(name));
}

void PopupMenuModel::SetChecked(std::string_view name, bool checked) {
    MenuItem& target = Item(name);
    target.Checked = checked;
    if (!checked || !target.RadioItem) return;
    for (MenuItem& other : items_) {
        if (&other != &target && other.RadioItem && other.GroupIndex == target.GroupIndex) {
            other.Checked = false;
        }
    }
}

}  // namespace pavlune
