// TPavluneLVForm: the window "自席表示一覧" showing everybody's status, one
// row per colleague, sortable by any column. A double-click sends the
// colleague a short personal message.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lan/presence.h"
#include "lan/udp_endpoint.h"
#include "win/dialogs.h"
#include "win/display_scale.h"
#include "win/handles.h"

namespace pavlune {

class TPavluneLVForm {
public:
    // mainWindow owns the window and receives the refresh request (3026);
    // myName is read at each send.
    TPavluneLVForm(HWND mainWindow, HINSTANCE instance, UserDialogs& dialogs, std::function<std::string()> myName);
    TPavluneLVForm(const TPavluneLVForm&) = delete;
    TPavluneLVForm& operator=(const TPavluneLVForm&) = delete;
    ~TPavluneLVForm();

    HWND Handle() const { return window_.get(); }
    bool IsVisible() const;

    // Replaces the rows by copies of the table's rows, in name order.
    void Fill(const std::vector<StatusRow>& rows);
    // Shows the window (modeless) on top of the others; with activate it
    // also takes the keyboard.
    void ShowOnTop(bool activate);
    void Hide();
    // While a personal message is being typed the window must not go.
    bool Busy() const { return busy_; }

    // What the list shows, top to bottom (for tests and for the list itself).
    const std::vector<StatusRow>& Rows() const { return rows_; }
    const ColumnSort& SortState() const { return sort_; }

    void ListView1ColumnClick(int column);
    void ToolButton1Click();  // &Close: hides the window
    void ToolButton2Click();  // &Refresh: asks the main window for fresh states
    void ListView1DblClick(); // personal message to the selected row
    // Selects the row at index (as a click would); -1 clears the selection.
    void SelectRow(int index);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void CreateToolBar(HWND panel);
    void SizeColumns();
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void ShowRows();
    int SelectedIndex() const;  // -1: none
    void Close();
    void FormCloseQuery();
    std::unique_ptr<TUdpEndpoint> CreateEndpoint();

    HWND mainWindow_;
    HINSTANCE instance_;
    UserDialogs& dialogs_;
    std::function<std::string()> myName_;
    UniqueOwnedWindow window_;
    HWND toolBar_ = nullptr;
    HWND listView_ = nullptr;
    DisplayScale scale_;  // the window's screen's, from its creation on
    UniqueFont font_;
    std::vector<StatusRow> rows_;
    ColumnSort sort_;
    std::unique_ptr<TUdpEndpoint> udp1_;
    bool busy_ = false;
};

}  // namespace pavlune
