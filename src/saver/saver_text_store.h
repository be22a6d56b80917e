// Where the message saver keeps its text: the registry on the NT line,
// CONTROL.INI on the 9x line. Every exchange writes a new value and hands
// back the one it replaced, so that the caller can put it back.
#pragma once

#include <windows.h>

#include <string>

#include "common/menu_model.h"
#include "saver/saver_names.h"

namespace pavlune {

class SaverTextStore {
public:
    // The saver kind is whichever of RMenuDengon / RMenu3D is checked at
    // the time of each call.
    SaverTextStore(WindowsVersion version, const PopupMenuModel& commandMenu);
    SaverTextStore(const SaverTextStore&) = delete;
    SaverTextStore& operator=(const SaverTextStore&) = delete;
    virtual ~SaverTextStore() = default;

    // The checked kind's settings name (mode kSaverSettingsName) or file
    // base name (any other mode) on this Windows line.
    std::string GetSaverName(int mode) const;

    // Stores newText as the saver's "Text" and returns the previous text
    // (empty when there was none). On the 9x line the 3D Text saver's text
    // is cut to 16 bytes. On the NT line every failure is silent: a missing
    // key is created for the Marquee saver only, and a value that is not a
    // string (REG_SZ or REG_EXPAND_SZ, read as stored) is left alone and
    // reads as empty. On the 9x line a refused write throws Error
    // "CONTROL.INI に書き込めません".
    virtual std::string ExchangeSaverText(const std::string& settingsName, const std::string& newText);

    // The same for "DemoType", without a cut; only the 3D Text saver has
    // one, so with the Marquee kind checked this returns "0" and touches
    // nothing.
    std::string ExchangeSaverDemoType(const std::string& settingsName, const std::string& newValue);

    // Whether the 3D Text saver's file is in the system directory.
    bool Is3DTextSaverInstalled() const;

private:
    bool ThreeDChecked() const;
    std::string ExchangeValue(const std::string& settingsName, const char* valueName,
                              const std::string& newValue);

    const WindowsVersion version_;
    const PopupMenuModel& commandMenu_;
};

}  // namespace pavlune
