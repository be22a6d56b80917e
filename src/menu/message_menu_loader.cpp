#include "menu/message_menu_loader.h"

#include <map>

#include "common/error.h"
#include "menu/definition_file.h"
#include "win/display_scale.h"
#include "win/files.h"
#include "win/handles.h"

namespace pavlune {

namespace {

// Icon files of the definition file, loaded at the size of the list's
// pictures from the path exactly as written (a relative one against the
// working directory).
class ImageListIconSource : public IconSource {
public:
    explicit ImageListIconSource(HIMAGELIST images) : images_(images) {
        ImageList_GetIconSize(images_, &width_, &height_);
    }

    int Load(const std::string& path) override {
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw Error(IconNotOpenedMessage(path));
        UniqueIcon icon(static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, width_, height_, LR_LOADFROMFILE)));
        if (!icon.get()) throw Error(kInvalidIconMessage);
        int token = nextToken_++;
        loaded_.emplace(token, std::move(icon));
        return token;
    }

    int Append(int token) override {
        auto found = loaded_.find(token);
        int index = ImageList_ReplaceIcon(images_, -1, found->second.get());
        loaded_.erase(found);
        if (index < 0) throw Error(kInvalidIconMessage);
        return index;
    }

    void Drop(int token) override { loaded_.erase(token); }

private:
    HIMAGELIST images_;
    int width_ = 0;
    int height_ = 0;
    std::map<int, UniqueIcon> loaded_;
    int nextToken_ = 0;
};

// The message menu's pictures, size pixels square.
HIMAGELIST CreatePictureList(int size) { return ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 8); }

}  // namespace

MessageMenuLoader::MessageMenuLoader(HWND owner, std::string definitionPath, UserDialogs& dialogs)
    : owner_(owner),
      definitionPath_(std::move(definitionPath)),
      dialogs_(dialogs),
      images_(CreatePictureList(DisplayScale::Of(owner).SmallIcon())) {}

void MessageMenuLoader::LoadMessageMenu() {
    ImageList_RemoveAll(images_.get());
    menu_.Clear();

    std::optional<std::string> file = ReadWholeFile(definitionPath_);
    if (!file) {
        EndProgram(MissingDefinitionFileMessage(definitionPath_));
        return;
    }
    ImageListIconSource icons(images_.get());
    switch (BuildMessageMenu(*file, menu_, icons)) {
        case DefinitionOutcome::Loaded:
            break;
        case DefinitionOutcome::Empty:
            EndProgram(kEmptyDefinitionFileMessage);
            break;
        case DefinitionOutcome::Faulty:
            EndProgram(kFaultyDefinitionFileMessage);
            break;
    }
}

void MessageMenuLoader::EndProgram(const std::string& message) {
    ending_ = true;
    dialogs_.ShowMessage(owner_, message, kApplicationTitle, MB_OK | MB_ICONSTOP);
    // The asking operation finishes first; the message loop then ends.
    PostMessageA(owner_, WM_QUIT, 0, 0);
}

}  // namespace pavlune
