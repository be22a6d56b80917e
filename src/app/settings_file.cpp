#include "app/settings_file.h"

#include <windows.h>

#include "app/settings_values.h"
#include "common/error.h"
#include "win/win_util.h"

namespace pavlune {

namespace {
constexpr DWORD kTextBufferSize = 2048;
}

bool SettingsFile::ReadBoolean(const char* key, bool defaultValue) const {
    return ParseBoolean(ReadText(key, ""), defaultValue);
}

std::string SettingsFile::ReadText(const char* key, const std::string& defaultValue) const {
    std::string buffer(kTextBufferSize, '\0');
    DWORD length = GetPrivateProfileStringA(kSettingsSection, key, defaultValue.c_str(), buffer.data(),
                                            kTextBufferSize, path_.c_str());
    buffer.resize(length);
    return buffer;
}

// A missing key reads as the default, whichever it is; a key that is there
// reads as its value, which cannot equal two different defaults.
bool SettingsFile::HasKey(const char* key) const { return ReadText(key, "0") != "0" || ReadText(key, "1") != "1"; }

void SettingsFile::WriteBoolean(const char* key, bool value) { WriteText(key, value ? "1" : "0"); }

void SettingsFile::WriteText(const char* key, const std::string& value) {
    if (!WriteProfileString(kSettingsSection, key, value.c_str(), path_)) throw Error(path_ + " に書き込めません");
}

}  // namespace pavlune
