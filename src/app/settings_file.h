// The settings file beside the executable ("Pavlune.INI"), used only through
// the private-profile functions. Opening it only fixes its path.
#pragma once

#include <string>

namespace pavlune {

inline constexpr const char* kSettingsSection = "Pavlune Settings";

class SettingsFile {
public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    bool ReadBoolean(const char* key, bool defaultValue) const;
    // At most 2047 bytes of the value are seen.
    std::string ReadText(const char* key, const std::string& defaultValue) const;
    // Whether the key is there, whatever its value (an empty one too).
    bool HasKey(const char* key) const;
    // Throws pavlune::Error "<path> に書き込めません" when the system refuses.
    void WriteBoolean(const char* key, bool value);
    void WriteText(const char* key, const std::string& value);

private:
    std::string path_;
};

}  // namespace pavlune
