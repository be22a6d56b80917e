#include "marquee/marquee_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/error.h"
#include "marquee/marquee_registry.h"
#include "marquee/marquee_view.h"
#include "win/code_built_dialog.h"
#include "win/controls.h"
#include "win/handles.h"

namespace pavlune {

namespace {

constexpr const char* kCaption = "伝言板の設定";
constexpr const char* kBuildError = "伝言板の設定を表示できません";

constexpr int kClientWidth = 400;
constexpr int kMargin = 12;
constexpr int kLabelWidth = 58;
constexpr int kFieldLeft = kMargin + kLabelWidth;
constexpr int kRowHeight = 24;
constexpr int kButtonWidth = 100;
constexpr int kTextRow = 12;
constexpr int kFontRow = 70;
constexpr int kColorRow = 104;
constexpr int kSpeedRow = 138;
constexpr int kSampleTop = 176;
constexpr int kSampleHeight = 120;
constexpr int kOkRow = kSampleTop + kSampleHeight + 14;
constexpr int kClientHeight = kOkRow + 23 + kMargin;

enum ControlId { kTextId = 100, kFontLabelId, kFontId, kTextColorId, kBackgroundColorId, kSpeedId };

MarqueeColor FromColorRef(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

class MarqueeDialog : private CodeBuiltDialog {
public:
    MarqueeDialog(HINSTANCE instance, UserDialogs& dialogs) : CodeBuiltDialog(instance, dialogs, IDCANCEL, kBuildError) {}

    void Show(HWND owner) {
        if (RunModal(owner) == -1) throw Error(kBuildError);
    }

private:
    bool OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR&) override {
        if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != GetDlgItem(handle_, kSpeedId)) return false;
        settings_.Speed = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
        ShowSample();
        return true;
    }

    void OnCommand(int id, int notification) override {
        switch (id) {
            case kTextId:
                if (notification != EN_CHANGE) return;
                settings_.Text = DisplayableText(WindowText(GetDlgItem(handle_, kTextId)));
                ShowSample();
                return;
            case kFontId:
                ChooseTextFont();
                return;
            case kTextColorId:
                PickColor(settings_.TextColor);
                return;
            case kBackgroundColorId:
                PickColor(settings_.BackgroundColor);
                return;
        }
    }

    void OnOK() override {
        if (!WriteMarqueeSettings(settings_)) throw Error("伝言板の設定を保存できません");
        EndDialog(handle_, IDOK);
    }

    void OnInit() override {
        SetWindowTextA(handle_, kCaption);
        font_ = CreateUiFont(false, scale_);
        PlaceOnScreen(kClientWidth, kClientHeight);
        settings_ = ReadMarqueeSettings();
        const int right = kClientWidth - kMargin;

        Label("表示する文字列(&T):", kMargin, kTextRow, right - kMargin);
        HWND text = CreateControl(handle_, "EDIT", settings_.Text.c_str(),
                                  ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, kTextId,
                                  Bounds(kMargin, kTextRow + 18, right - kMargin, 22), font_.get(), WS_EX_CLIENTEDGE);
        SendMessageA(text, EM_LIMITTEXT, kMaxTextBytes, 0);

        Label("フォント:", kMargin, kFontRow + 6, kLabelWidth);
        Label("", kFieldLeft, kFontRow + 6, right - kButtonWidth - 8 - kFieldLeft, kFontLabelId);
        Button("フォント(&F)...", right - kButtonWidth, kFontRow, kFontId);

        Label("色:", kMargin, kColorRow + 6, kLabelWidth);
        Button("文字の色(&C)...", kFieldLeft, kColorRow, kTextColorId);
        Button("背景の色(&B)...", kFieldLeft + kButtonWidth + 8, kColorRow, kBackgroundColorId);

        Label("速さ(&S):", kMargin, kSpeedRow + 6, kLabelWidth);
        Label("遅い", kFieldLeft, kSpeedRow + 6, 30);
        HWND speed = CreateControl(handle_, TRACKBAR_CLASSA, "", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, kSpeedId,
                                   Bounds(kFieldLeft + 30, kSpeedRow, right - kFieldLeft - 60, 28), font_.get());
        SendMessageA(speed, TBM_SETRANGE, FALSE, MAKELPARAM(kMinSpeed, kMaxSpeed));
        SendMessageA(speed, TBM_SETPOS, TRUE, settings_.Speed);
        Label("速い", right - 26, kSpeedRow + 6, 26);

        CreateControl(handle_, "STATIC", "", SS_BLACKFRAME, -1,
                      Bounds(kMargin - 1, kSampleTop - 1, right - kMargin + 2, kSampleHeight + 2), nullptr);
        sample_ = std::make_unique<MarqueeView>(instance_, MarqueeView::Role::Sample);
        if (!sample_->Create(handle_, scale_(Bounds(kMargin, kSampleTop, right - kMargin, kSampleHeight)))) {
            throw Error(kBuildError);
        }

        CreateControl(handle_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK,
                      Bounds(right - 2 * 75 - 8, kOkRow, 75, 23), font_.get());
        CreateControl(handle_, "BUTTON", "キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                      Bounds(right - 75, kOkRow, 75, 23), font_.get());
        SendMessageA(handle_, DM_SETDEFID, IDOK, 0);
        ShowSample();
        SetFocus(text);
        SendMessageA(text, EM_SETSEL, 0, -1);
    }

    // A label with an id shows a name, in which "&" is no mnemonic.
    void Label(const char* text, int left, int top, int width, int id = -1) {
        DWORD style = id == -1 ? SS_LEFT : SS_LEFT | SS_NOPREFIX;
        CreateControl(handle_, "STATIC", text, style, id, Bounds(left, top, width, 14), font_.get());
    }

    void Button(const char* text, int left, int top, int id) {
        CreateControl(handle_, "BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, id,
                      Bounds(left, top, kButtonWidth, kRowHeight), font_.get());
    }

    void ShowSample() {
        std::string font = settings_.Font + "  " + std::to_string(settings_.Size) + " ポイント";
        SetDlgItemTextA(handle_, kFontLabelId, font.c_str());
        sample_->Apply(settings_);
    }

    void ChooseTextFont() {
        LOGFONTA font{};
        font.lfHeight = -MulDiv(settings_.Size, GetDeviceCaps(WindowDC(handle_).get(), LOGPIXELSY), 72);
        font.lfWeight = FW_BOLD;
        font.lfCharSet = static_cast<BYTE>(settings_.CharSet);
        lstrcpynA(font.lfFaceName, settings_.Font.c_str(), LF_FACESIZE);
        CHOOSEFONTA choice{};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = handle_;
        choice.lpLogFont = &font;
        choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE | CF_NOVERTFONTS;
        choice.nSizeMin = kMinSize;
        choice.nSizeMax = kMaxSize;
        if (!ChooseFontA(&choice)) return;
        settings_.Font = font.lfFaceName;
        settings_.Size = std::clamp(choice.iPointSize / 10, kMinSize, kMaxSize);
        settings_.CharSet = font.lfCharSet;
        ShowSample();
    }

    void PickColor(MarqueeColor& color) {
        CHOOSECOLORA choice{};
        choice.lStructSize = sizeof choice;
        choice.hwndOwner = handle_;
        choice.rgbResult = ToColorRef(color);
        choice.lpCustColors = customColors_;
        choice.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (!ChooseColorA(&choice)) return;
        color = FromColorRef(choice.rgbResult);
        ShowSample();
    }

    UniqueFont font_;
    MarqueeSettings settings_;
    std::unique_ptr<MarqueeView> sample_;
    COLORREF customColors_[16] = {};
};

}  // namespace

void ShowMarqueeDialog(HINSTANCE instance, HWND owner, UserDialogs& dialogs) {
    MarqueeDialog(instance, dialogs).Show(owner);
}

}  // namespace pavlune
