#include "win/menu_renderer.h"

#include <memory>

namespace pavlune {

namespace {

constexpr int kPictureSize = 16;
constexpr ULONG_PTR kPictureTag = 0x50564C4E;  // marks our picture records

// What the owner-drawn picture of one item needs.
struct Picture {
    ULONG_PTR Tag = kPictureTag;
    HIMAGELIST Images;
    int Index;
    bool Checked;
};

// One opened menu: its handles, commands and pictures live until it closes.
class Rendering {
public:
    explicit Rendering(HIMAGELIST images) : images_(images) {}
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;
    ~Rendering() {
        if (root_) DestroyMenu(root_);  // destroys the submenus with it
    }

    HMENU Build(const std::vector<MenuItem>& items) {
        root_ = Fill(CreatePopupMenu(), items);
        return root_;
    }

    const MenuItem* Command(UINT id) const {
        return id >= 1 && id <= commands_.size() ? commands_[id - 1] : nullptr;
    }

private:
    HMENU Fill(HMENU menu, const std::vector<MenuItem>& items) {
        UINT position = 0;
        for (const MenuItem& item : items) {
            if (!item.Visible) continue;
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            if (item.IsSeparator()) {
                info.fMask = MIIM_FTYPE;
                info.fType = MFT_SEPARATOR;
            } else {
                info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
                info.fType = item.RadioItem ? MFT_RADIOCHECK : 0;
                info.fState = (item.Checked ? MFS_CHECKED : 0) | (item.Enabled ? 0 : MFS_DISABLED) |
                              (item.IsDefault ? MFS_DEFAULT : 0);
                info.dwTypeData = const_cast<char*>(item.Caption.c_str());
                commands_.push_back(&item);
                info.wID = static_cast<UINT>(commands_.size());
                if (!item.Items.empty()) {
                    info.fMask |= MIIM_SUBMENU;
                    info.hSubMenu = Fill(CreatePopupMenu(), item.Items);
                }
                if (images_ && item.ImageIndex >= 0 && item.ImageIndex < ImageList_GetImageCount(images_)) {
                    pictures_.push_back(std::make_unique<Picture>(Picture{kPictureTag, images_, item.ImageIndex,
                                                                          item.Checked}));
                    info.fMask |= MIIM_BITMAP | MIIM_DATA;
                    info.hbmpItem = HBMMENU_CALLBACK;
                    info.dwItemData = reinterpret_cast<ULONG_PTR>(pictures_.back().get());
                }
            }
            InsertMenuItemA(menu, position++, TRUE, &info);
        }
        return menu;
    }

    HIMAGELIST images_;
    HMENU root_ = nullptr;
    std::vector<const MenuItem*> commands_;
    std::vector<std::unique_ptr<Picture>> pictures_;
};

const Picture* PictureOf(ULONG_PTR data) {
    auto* picture = reinterpret_cast<const Picture*>(data);
    return picture && picture->Tag == kPictureTag ? picture : nullptr;
}

void DrawPicture(const DRAWITEMSTRUCT& draw, const Picture& picture) {
    int x = draw.rcItem.left + 2;
    int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - kPictureSize) / 2;
    if (picture.Checked) {
        // A checked item with a picture shows the picture in a sunken box.
        RECT box{x - 2, y - 2, x + kPictureSize + 2, y + kPictureSize + 2};
        DrawEdge(draw.hDC, &box, BDR_SUNKENOUTER, BF_RECT);
    }
    if (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) {
        HICON icon = ImageList_GetIcon(picture.Images, picture.Index, ILD_NORMAL);
        DrawState(draw.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, kPictureSize,
                  kPictureSize, DST_ICON | DSS_DISABLED);
        DestroyIcon(icon);
    } else {
        ImageList_Draw(picture.Images, picture.Index, draw.hDC, x, y, ILD_TRANSPARENT);
    }
}

}  // namespace

std::function<void()> TrackMenu(HWND owner, const std::vector<MenuItem>& items, POINT at,
                                const PopupOptions& options) {
    Rendering rendering(options.Images);
    HMENU menu = rendering.Build(items);
    UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY | options.ExtraFlags;
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr));
    // Lets the menu close properly when the user clicks elsewhere next time.
    PostMessageA(owner, WM_NULL, 0, 0);
    const MenuItem* item = rendering.Command(chosen);
    return item ? item->OnClick : std::function<void()>{};
}

bool HandleMenuPictureMessage(UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || !PictureOf(measure->itemData)) return false;
        measure->itemWidth = kPictureSize + 4;
        measure->itemHeight = kPictureSize + 4;
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        const Picture* picture = draw->CtlType == ODT_MENU ? PictureOf(draw->itemData) : nullptr;
        if (!picture) return false;
        DrawPicture(*draw, *picture);
        return true;
    }
    return false;
}

}  // namespace pavlune
