#include "win/menu_renderer.h"

#include <cstddef>
#include <memory>

#include "win/handles.h"

namespace pavlune {

namespace {

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
    Rendering(HIMAGELIST images, bool extendedItems) : images_(images), extendedItems_(extendedItems) {}
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;
    HMENU Build(const std::vector<MenuItem>& items) {
        root_.reset(Fill(CreatePopupMenu(), items));  // the submenus go with it
        return root_.get();
    }

    const MenuItem* Command(UINT id) const {
        return id >= 1 && id <= commands_.size() ? commands_[id - 1] : nullptr;
    }

private:
    HMENU Fill(HMENU menu, const std::vector<MenuItem>& items) {
        UINT position = 0;
        for (const MenuItem& item : items) {
            if (!item.Visible) continue;
            MENUITEMINFOA info = ItemRecord();
            if (item.IsSeparator()) {
                info.fMask = extendedItems_ ? MIIM_FTYPE : MIIM_TYPE;
                info.fType = MFT_SEPARATOR;
            } else {
                info.fMask = TypeMask() | MIIM_STATE | MIIM_ID;
                info.fType = MFT_STRING | (item.RadioItem ? MFT_RADIOCHECK : 0);
                info.fState = (item.Checked ? MFS_CHECKED : 0) | (item.Enabled ? 0 : MFS_DISABLED) |
                              (item.IsDefault ? MFS_DEFAULT : 0);
                info.dwTypeData = const_cast<char*>(item.Caption.c_str());
                commands_.push_back(&item);
                info.wID = static_cast<UINT>(commands_.size());
                if (!item.Items.empty()) {
                    info.fMask |= MIIM_SUBMENU;
                    info.hSubMenu = Fill(CreatePopupMenu(), item.Items);
                }
                AddPicture(item, info);
            }
            InsertMenuItemA(menu, position++, TRUE, &info);
        }
        return menu;
    }

    // The type and the caption: one flag on Windows 95 and NT4; the later
    // flags elsewhere, as only they go together with a picture.
    UINT TypeMask() const { return extendedItems_ ? MIIM_FTYPE | MIIM_STRING : MIIM_TYPE; }

    // Windows 95 and NT4 take only the record without the picture field.
    MENUITEMINFOA ItemRecord() const {
        MENUITEMINFOA info{};
        info.cbSize = extendedItems_ ? sizeof info : offsetof(MENUITEMINFOA, hbmpItem);
        return info;
    }

    // The picture is drawn by the program where the system asks for it;
    // Windows 95 and NT4 show the items without pictures.
    void AddPicture(const MenuItem& item, MENUITEMINFOA& info) {
        if (!extendedItems_ || !images_ || item.ImageIndex < 0 || item.ImageIndex >= ImageList_GetImageCount(images_)) {
            return;
        }
        pictures_.push_back(std::make_unique<Picture>(Picture{kPictureTag, images_, item.ImageIndex, item.Checked}));
        info.fMask |= MIIM_BITMAP | MIIM_DATA;
        info.hbmpItem = HBMMENU_CALLBACK;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(pictures_.back().get());
    }

    HIMAGELIST images_;
    bool extendedItems_;
    UniqueMenu root_;
    std::vector<const MenuItem*> commands_;
    std::vector<std::unique_ptr<Picture>> pictures_;
};

const Picture* PictureOf(ULONG_PTR data) {
    auto* picture = reinterpret_cast<const Picture*>(data);
    return picture && picture->Tag == kPictureTag ? picture : nullptr;
}

// The side of the picture's image list: the menus' pictures grow with the screen's scale.
int PictureSize(const Picture& picture) {
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(picture.Images, &width, &height);
    return height;
}

void DrawPicture(const DRAWITEMSTRUCT& draw, const Picture& picture) {
    const int pictureSize = PictureSize(picture);
    int x = draw.rcItem.left + 2;
    int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - pictureSize) / 2;
    if (picture.Checked) {
        // A checked item with a picture shows the picture in a sunken box.
        RECT box{x - 2, y - 2, x + pictureSize + 2, y + pictureSize + 2};
        DrawEdge(draw.hDC, &box, BDR_SUNKENOUTER, BF_RECT);
    }
    if (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) {
        UniqueIcon icon(ImageList_GetIcon(picture.Images, picture.Index, ILD_NORMAL));
        DrawState(draw.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, x, y, pictureSize,
                  pictureSize, DST_ICON | DSS_DISABLED);
    } else {
        ImageList_Draw(picture.Images, picture.Index, draw.hDC, x, y, ILD_TRANSPARENT);
    }
}

}  // namespace

std::function<void()> TrackMenu(HWND owner, const std::vector<MenuItem>& items, POINT at,
                                const PopupOptions& options) {
    Rendering rendering(options.Images, options.ExtendedItems);
    HMENU menu = rendering.Build(items);
    UINT flags = TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY | options.ExtraFlags;
    // The press that opened the menu is forgotten: a right press noted from
    // here on is the one that chose the item.
    GetAsyncKeyState(VK_RBUTTON);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr));
    // Lets the menu close properly when the user clicks elsewhere next time.
    PostMessageA(owner, WM_NULL, 0, 0);
    const MenuItem* item = rendering.Command(chosen);
    return item ? item->OnClick : std::function<void()>{};
}

bool HandleMenuPictureMessage(UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        const Picture* picture = measure->CtlType == ODT_MENU ? PictureOf(measure->itemData) : nullptr;
        if (!picture) return false;
        const int size = PictureSize(*picture);
        measure->itemWidth = static_cast<UINT>(size + 4);
        measure->itemHeight = static_cast<UINT>(size + 4);
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
