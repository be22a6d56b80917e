#include "saver/saver_names.h"

#include "common/sjis.h"

namespace pavlune {

namespace {
constexpr std::size_t kThreeDTextLimit = 16;
}  // namespace

std::string GetSaverName(bool threeD, const WindowsVersion& line, int mode) {
    bool settingsName = mode == kSaverSettingsName;
    if (!threeD) {
        if (!line.Nt) return "伝言板";
        return settingsName ? "Marquee" : "ssmarque";
    }
    if (settingsName) return "3DText";
    if (line.Nt) return "sstext3d";
    return line.Windows95 ? "3D ﾃｷｽﾄ (OpenGL)" : "3D テキスト (OpenGL)";
}

std::string CutTo16Bytes(std::string_view text) {
    if (text.size() <= kThreeDTextLimit) return std::string(text);
    // Only a walk from the start knows whether the 16th byte begins a
    // character or ends one: a second byte may look like a lead byte.
    std::size_t pos = 0;
    std::size_t length = CharLength(text, pos);
    while (pos + length < kThreeDTextLimit) {
        pos += length;
        length = CharLength(text, pos);
    }
    bool splitsCharacter = pos + length > kThreeDTextLimit;
    return std::string(text.substr(0, splitsCharacter ? pos : kThreeDTextLimit));
}

std::string ThreeDTextSaverFileName(const WindowsVersion& line) {
    return GetSaverName(true, line, kSaverFileBaseName) + ".scr";
}

}  // namespace pavlune
