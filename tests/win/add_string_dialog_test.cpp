// The add-string dialog and its phrase list files against the real system,
// and the submenu that opens the list files. The dialog is modal: each test
// looks at it and closes it from a timer that runs inside its own message
// loop. A scratch folder plays the program's folder.
#include "menu/add_string_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_menu.h"
#include "menu/add_strings.h"
#include "win/files.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::FileExists;
using test::FontOf;
using test::Place;
using test::PlaceInParent;
using test::ReadFileBytes;
using test::ScratchFolder;
using test::ScriptedDialogs;
using test::Text;
using test::WriteFileBytes;
using Phrases = std::vector<std::string>;

constexpr const char* kPrompt = "追加したい文を入力または選択してください";

// ---- Driving the modal dialog ----------------------------------------------

HWND ComboBox(HWND dialog) { return FindWindowExA(dialog, nullptr, "ComboBox", nullptr); }
HWND Button(HWND dialog, const char* caption) { return FindWindowExA(dialog, nullptr, "Button", caption); }
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

// The entries of the drop-down list, top to bottom.
Phrases ListOf(HWND dialog) {
    HWND combo = ComboBox(dialog);
    Phrases entries;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string entry(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        entry.resize(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()))));
        entries.push_back(entry);
    }
    return entries;
}

void Type(HWND dialog, const std::string& text) { SetWindowTextA(ComboBox(dialog), text.c_str()); }

// A key as the keyboard gives it, to the control with the focus.
void Press(WPARAM key) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

struct Outcome {
    bool Ok;
    std::string Text;
};

class AddStringDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExA(0, "STATIC", "Pavlune", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        programFolder_ = folder_.Path("");
    }

    void TearDown() override { DestroyWindow(owner_); }

    // Makes the dialog on name (relative to the program's folder), shows it;
    // once it is on the screen, look runs on it and must close it.
    Outcome Show(const std::string& name, bool save, bool sort, std::function<void(HWND dialog)> look) {
        TPavluneAddStringDialog dialog(owner_, GetModuleHandleA(nullptr), dialogs_, programFolder_, name, save, sort);
        bool ok = false;
        bool looked = test::WatchModal(kAddStringDialogCaption, look, [&] { ok = dialog.ShowModal(); }, IDCANCEL);
        EXPECT_TRUE(looked) << "the dialog never showed";
        EXPECT_EQ(FindWindowA(nullptr, kAddStringDialogCaption), nullptr) << "the dialog is gone once closed";
        return {ok, dialog.Text()};
    }

    // Types text and presses OK.
    Outcome Answer(const std::string& name, bool save, bool sort, const std::string& text) {
        return Show(name, save, sort, [&](HWND dialog) {
            Type(dialog, text);
            Click(Button(dialog, "OK"));
        });
    }

    // The entries the dialog offers, read without changing anything.
    Phrases Offered(const std::string& name, bool sort) {
        Phrases entries;
        Show(name, false, sort, [&](HWND dialog) {
            entries = ListOf(dialog);
            Click(Button(dialog, "キャンセル"));
        });
        return entries;
    }

    std::string PathOf(const std::string& name) const { return programFolder_ + name; }
    void ExpectNoMessage() {
        for (const auto& shown : dialogs_.Messages) ADD_FAILURE() << "message box: " << shown.Text;
        dialogs_.Messages.clear();
    }
    void ExpectMessage(const std::string& text, UINT flags) {
        ASSERT_EQ(dialogs_.Messages.size(), 1u);
        EXPECT_EQ(dialogs_.Messages[0].Text, text);
        EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
        EXPECT_EQ(dialogs_.Messages[0].Flags, flags);
        dialogs_.Messages.clear();
    }

    HWND owner_ = nullptr;
    ScriptedDialogs dialogs_;
    ScratchFolder folder_;
    std::string programFolder_;
};

// ---- Layout ----------------------------------------------------------------

TEST_F(AddStringDialogTest, ModalFixedFrameInTheMiddleOfTheScreenWithItsElementsWhereLaidOut) {
    WriteFileBytes(PathOf("Pavlune.2.txt"), "");
    Outcome outcome = Show("Pavlune.2.txt", false, false, [&](HWND dialog) {
        EXPECT_EQ(Text(dialog), "追加文の入力");
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
        EXPECT_FALSE(IsWindowEnabled(owner_)) << "the owner waits while the dialog is open";

        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0) << "the frame cannot be resized";

        test::ExpectClientSizeInTheMiddle(dialog, 229, 91);

        HWND label = FindWindowExA(dialog, nullptr, "Static", kPrompt);
        HWND combo = ComboBox(dialog);
        HWND ok = Button(dialog, "OK");
        HWND cancel = Button(dialog, "キャンセル");
        ASSERT_TRUE(label && combo && ok && cancel);
        EXPECT_EQ(PlaceInParent(label), (Place{6, 8, 217, 12}));
        EXPECT_EQ(PlaceInParent(combo), (Place{6, 32, 216, 20}));
        EXPECT_EQ(PlaceInParent(ok), (Place{37, 60, 75, 25}));
        EXPECT_EQ(PlaceInParent(cancel), (Place{117, 60, 75, 25}));

        EXPECT_EQ(GetWindowLongA(combo, GWL_STYLE) & 3, CBS_DROPDOWN) << "an editable drop-down list";
        EXPECT_EQ(Text(combo), "") << "the field starts empty";
        EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);
        EXPECT_EQ(GetDlgCtrlID(ok), IDOK);
        EXPECT_EQ(GetDlgCtrlID(cancel), IDCANCEL);
        EXPECT_EQ(GetNextDlgTabItem(dialog, nullptr, FALSE), combo) << "first in the tab order";
        EXPECT_EQ(GetParent(GetFocus()), combo) << "the field has the focus";

        for (HWND control : {label, combo, ok, cancel}) {
            SCOPED_TRACE(Text(control));
            LOGFONTA font = FontOf(control);
            EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
            EXPECT_EQ(std::abs(font.lfHeight), 12);
            EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
        }
        Click(cancel);
    });
    EXPECT_FALSE(outcome.Ok);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, SortOptionSortsTheListIgnoringCaseOtherwiseFileOrder) {
    WriteFileBytes(PathOf("Pavlune.2.txt"), "b\r\nD\r\n\r\na\r\nC\r\n");
    for (bool sort : {false, true}) {
        SCOPED_TRACE(sort ? "sorted" : "file order");
        Show("Pavlune.2.txt", false, sort, [&](HWND dialog) {
            EXPECT_EQ((GetWindowLongA(ComboBox(dialog), GWL_STYLE) & CBS_SORT) != 0, sort);
            EXPECT_EQ(ListOf(dialog), sort ? (Phrases{"", "a", "b", "C", "D"}) : (Phrases{"b", "D", "", "a", "C"}));
            Click(Button(dialog, "キャンセル"));
        });
    }
    ExpectNoMessage();
}

// ---- Closing ---------------------------------------------------------------

TEST_F(AddStringDialogTest, OkComesFromTheButtonAndEnterWithTheFieldsText) {
    WriteFileBytes(PathOf("Pavlune.2.txt"), "15時戻り\r\n外出中\r\n");
    Outcome typed = Answer("Pavlune.2.txt", false, false, "会議室\\表");
    EXPECT_TRUE(typed.Ok);
    EXPECT_EQ(typed.Text, "会議室\\表");

    Outcome entered = Show("Pavlune.2.txt", false, false, [&](HWND dialog) {
        Type(dialog, "明日");
        Press(VK_RETURN);
    });
    EXPECT_TRUE(entered.Ok);
    EXPECT_EQ(entered.Text, "明日");

    Outcome picked = Show("Pavlune.2.txt", false, false, [&](HWND dialog) {
        SendMessageA(ComboBox(dialog), CB_SETCURSEL, 1, 0);
        Click(Button(dialog, "OK"));
    });
    EXPECT_TRUE(picked.Ok);
    EXPECT_EQ(picked.Text, "外出中");

    std::string longText(40000, 'x');
    Outcome longOne = Answer("Pavlune.2.txt", false, false, longText);
    EXPECT_EQ(longOne.Text, longText) << "any length is accepted";
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, CancelButtonEscapeAndCloseBoxGiveCancel) {
    WriteFileBytes(PathOf("Pavlune.2.txt"), "A\r\n");
    const std::function<void(HWND)> ways[] = {
        [](HWND dialog) { Click(Button(dialog, "キャンセル")); },
        [](HWND) { Press(VK_ESCAPE); },
        [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : ways) {
        Outcome outcome = Show("Pavlune.2.txt", false, false, [&](HWND dialog) {
            Type(dialog, "typed");
            close(dialog);
        });
        EXPECT_FALSE(outcome.Ok);
    }
    EXPECT_EQ(ReadFileBytes(PathOf("Pavlune.2.txt")), "A\r\n");
    ExpectNoMessage();
}

// ---- The list file ---------------------------------------------------------

TEST_F(AddStringDialogTest, MissingListWithoutSavingComplainsEveryTimeAndWritesNothing) {
    const std::string path = PathOf("Pavlune.2.txt");
    for (int opening = 0; opening < 2; ++opening) {
        Outcome outcome = Answer("Pavlune.2.txt", false, false, "15時戻り");
        EXPECT_TRUE(outcome.Ok);
        EXPECT_EQ(outcome.Text, "15時戻り");
        ExpectMessage(path + "を開けません", MB_OK);
        EXPECT_FALSE(FileExists(path));
    }
}

TEST_F(AddStringDialogTest, MissingListWithSavingIsCreatedAtTheFirstClose) {
    const std::string path = PathOf("Pavlune.2.txt");
    Outcome cancelled = Show("Pavlune.2.txt", true, false, [&](HWND dialog) {
        EXPECT_EQ(ListOf(dialog), Phrases{}) << "an empty list";
        Type(dialog, "not kept");
        Click(Button(dialog, "キャンセル"));
    });
    EXPECT_FALSE(cancelled.Ok);
    ExpectMessage(path + "を開けません", MB_OK);
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(ReadFileBytes(path), "") << "empty after Cancel";

    EXPECT_TRUE(Answer("Pavlune.2.txt", true, false, "15時戻り").Ok);
    ExpectNoMessage();
    EXPECT_EQ(ReadFileBytes(path), "15時戻り\r\n");

    ScratchFolder other;
    programFolder_ = other.Path("");
    EXPECT_TRUE(Answer("Pavlune.2.txt", true, false, "外出").Ok);
    ExpectMessage(programFolder_ + "Pavlune.2.txtを開けません", MB_OK);
    EXPECT_EQ(ReadFileBytes(programFolder_ + "Pavlune.2.txt"), "外出\r\n") << "holding the phrase after OK";
}

TEST_F(AddStringDialogTest, SavingWithoutANewPhraseRewritesTheListAsItWas) {
    const std::string path = PathOf("Pavlune.2.txt");
    const char* list = "Abc\r\n\r\n表示\r\nxyz\r\n";
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
    };
    const Case cases[] = {
        {"equal apart from letter case", [](HWND d) { Type(d, "ABC"); Click(Button(d, "OK")); }},
        {"empty input", [](HWND d) { Click(Button(d, "OK")); }},
        {"cancel", [](HWND d) { Type(d, "new"); Click(Button(d, "キャンセル")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(path, list);
        Show("Pavlune.2.txt", true, false, c.close);
        EXPECT_EQ(ReadFileBytes(path), list);
    }
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, SavingPutsANewPhraseFirstAndLineEndsBecomeCrLf) {
    const std::string path = PathOf("Pavlune.2.txt");
    WriteFileBytes(path, "B\nD\rE");
    Outcome outcome = Answer("Pavlune.2.txt", true, false, "A");
    EXPECT_EQ(outcome.Text, "A");
    EXPECT_EQ(ReadFileBytes(path), "A\r\nB\r\nD\r\nE\r\n");
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, SavingWithSortingWritesTheNewPhraseFirstAndItTakesItsPlaceNextTime) {
    const std::string path = PathOf("Pavlune.2.txt");
    WriteFileBytes(path, "D\r\nB\r\n");
    Answer("Pavlune.2.txt", true, true, "A");
    EXPECT_EQ(ReadFileBytes(path), "A\r\nB\r\nD\r\n");

    WriteFileBytes(path, "D\r\nB\r\n");
    Answer("Pavlune.2.txt", true, true, "C");
    EXPECT_EQ(ReadFileBytes(path), "C\r\nB\r\nD\r\n");
    EXPECT_EQ(Offered("Pavlune.2.txt", true), (Phrases{"B", "C", "D"}));
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, WithoutSavingNothingIsAddedOrWritten) {
    const std::string path = PathOf("Pavlune.2.txt");
    WriteFileBytes(path, "B\nD");
    Answer("Pavlune.2.txt", false, true, "A");
    EXPECT_EQ(ReadFileBytes(path), "B\nD");
    EXPECT_EQ(Offered("Pavlune.2.txt", false), (Phrases{"B", "D"}));
    ExpectNoMessage();
}

TEST_F(AddStringDialogTest, ListInASubFolderIsReadAndWrittenThere) {
    const std::string folder = PathOf("lists");
    const std::string path = PathOf("lists\\行き先.txt");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    WriteFileBytes(path, "東京\r\n大阪\r\n");
    EXPECT_EQ(Offered("lists\\行き先.txt", false), (Phrases{"東京", "大阪"}));
    Answer("lists\\行き先.txt", true, false, "ソウル");
    EXPECT_EQ(ReadFileBytes(path), "ソウル\r\n東京\r\n大阪\r\n");
    EXPECT_FALSE(FileExists(PathOf("行き先.txt")));
    ExpectNoMessage();
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(AddStringDialogTest, ListThatCannotBeWrittenIsReportedAndTheAnswerStands) {
    // A folder that does not exist: the list can be neither read nor written.
    const std::string path = PathOf("missing\\行き先.txt");
    Outcome outcome = Answer("missing\\行き先.txt", true, false, "15時戻り");
    EXPECT_TRUE(outcome.Ok);
    EXPECT_EQ(outcome.Text, "15時戻り");
    ASSERT_EQ(dialogs_.Messages.size(), 2u);
    EXPECT_EQ(dialogs_.Messages[0].Text, path + "を開けません");
    EXPECT_EQ(dialogs_.Messages[1].Text, "ファイル " + path + " を作成できません.");
    EXPECT_EQ(dialogs_.Messages[1].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[1].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    dialogs_.Messages.clear();

    Outcome cancelled = Show("missing\\行き先.txt", true, false, [](HWND) { Press(VK_ESCAPE); });
    EXPECT_FALSE(cancelled.Ok) << "Cancel still closes the dialog";
    EXPECT_EQ(dialogs_.Messages.size(), 2u);
    dialogs_.Messages.clear();
}

TEST_F(AddStringDialogTest, ListThatIsThereButCannotBeReadKeepsEveryByte) {
    // A list too large to read (4 GB and more, most of it a hole), which
    // could still be written over.
    const std::string head = "15時戻り\r\n明日\r\n";
    WriteFileBytes(PathOf("行き先.txt"), head);
    HANDLE file = CreateFileA(PathOf("行き先.txt").c_str(), GENERIC_ALL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LONG high = 1;
    SetFilePointer(file, 5, &high, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    CreateDirectoryA(PathOf("一覧.txt").c_str(), nullptr);  // a folder of that name
    for (const char* name : {"行き先.txt", "一覧.txt"}) {
        SCOPED_TRACE(name);
        Outcome outcome = Answer(name, true, false, "新しい文");
        EXPECT_TRUE(outcome.Ok);
        ASSERT_EQ(dialogs_.Messages.size(), 2u);
        EXPECT_EQ(dialogs_.Messages[1].Text, "ファイル " + PathOf(name) + " を作成できません.") << "the user is told";
        dialogs_.Messages.clear();
    }
    // A share that is away when the dialog opens (its server cannot be
    // reached: no "not found") and back before it closes, the list in it.
    const std::string unc = test::PathOnZ("WINEPREFIX") + "\\dosdevices\\unc";
    const char* shareParts[] = {"\\pvgone\\share", "\\pvgone", ""};
    programFolder_ = "\\\\pvgone\\share\\";
    Show("行き先.txt", true, false, [&](HWND dialog) {
        for (int part = 2; part >= 0; --part) CreateDirectoryA((unc + shareParts[part]).c_str(), nullptr);
        WriteFileBytes(PathOf("行き先.txt"), head);
        Type(dialog, "新しい文");
        Click(Button(dialog, "OK"));
    });
    EXPECT_EQ(ReadFileBytes(PathOf("行き先.txt")), head) << "written over";
    EXPECT_EQ(dialogs_.Messages.size(), 2u);
    dialogs_.Messages.clear();
    DeleteFileA(PathOf("行き先.txt").c_str());
    for (const char* part : shareParts) RemoveDirectoryA((unc + part).c_str());
    programFolder_ = folder_.Path("");

    file = CreateFileA(PathOf("行き先.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 5u);
    EXPECT_EQ(sizeHigh, 1u);
    std::string start(head.size(), '\0');
    DWORD read = 0;
    ReadFile(file, start.data(), static_cast<DWORD>(start.size()), &read, nullptr);
    EXPECT_EQ(start, head);
    CloseHandle(file);
}

TEST_F(AddStringDialogTest, UnusableNamesGiveMessagesNotCrashes) {
    for (const char* name : {"C:\\Pavlune.2.txt", "", "\\\\?\\bad|name*.txt"}) {
        SCOPED_TRACE(name);
        Outcome outcome = Answer(name, true, true, "x");
        EXPECT_TRUE(outcome.Ok);
        EXPECT_EQ(dialogs_.Messages.size(), 2u) << "cannot read, cannot write";
        dialogs_.Messages.clear();
    }
}

TEST_F(AddStringDialogTest, LargeListWithLongLinesIsOfferedAndWrittenBackWhole) {
    const std::string path = PathOf("Pavlune.2.txt");
    std::string bytes = std::string(100000, 'L') + "\r\n";
    for (int i = 0; i < 5000; ++i) bytes += "phrase " + std::to_string(i) + "\r\n";
    WriteFileBytes(path, bytes);
    Show("Pavlune.2.txt", true, false, [&](HWND dialog) {
        EXPECT_EQ(SendMessageA(ComboBox(dialog), CB_GETCOUNT, 0, 0), 5001);
        Click(Button(dialog, "OK"));
    });
    EXPECT_EQ(ReadFileBytes(path), bytes);
    ExpectNoMessage();
}

// ---- The "open phrase file" submenu ----------------------------------------

std::unique_ptr<MessageEntry> Entry(const std::string& caption, const std::string& file) {
    auto entry = std::make_unique<MessageEntry>();
    entry->Caption = caption;
    entry->AskAddString = !file.empty();
    entry->AddStringsFile = file;
    entry->HasAction = true;
    return entry;
}

TEST(AddStringsFileMenuTest, DistinctUpperCaseNamesInOrderWithTheDefaultListBold) {
    MessageMenu menu;
    menu.Entries.push_back(Entry("外出", "Pavlune.2.txt"));
    menu.Entries.push_back(Entry("出張", "lists\\行き先.txt"));
    menu.Entries.push_back(Entry("会議", ""));
    menu.Entries.back()->Children.push_back(Entry("午前", "pavlune.2.TXT"));
    menu.Entries.back()->Children.push_back(Entry("午後", "Ｂ会議.txt"));  // second byte of Ｂ is "a"
    menu.Entries.push_back(Entry("休み", "b.txt"));
    menu.Entries.push_back(Entry("在席", ""));

    PopupMenuModel commandMenu = BuildCommandMenu();
    commandMenu.Item("RMenuOpenAddStringsFile").Items.emplace_back().Caption = "OLD.TXT";
    BuildAddStringsFileMenu(commandMenu, menu, "C:\\");

    std::vector<std::string> captions;
    for (const MenuItem& item : commandMenu.Item("RMenuOpenAddStringsFile").Items) {
        SCOPED_TRACE(item.Caption);
        captions.push_back(item.Caption);
        EXPECT_EQ(item.IsDefault, item.Caption == "PAVLUNE.2.TXT");
        EXPECT_EQ(item.ImageIndex, 18);
        EXPECT_TRUE(item.OnClick);
    }
    ASSERT_EQ(captions.size(), 4u);
    for (std::size_t i = 1; i < captions.size(); ++i) {
        EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, captions[i - 1].c_str(), -1, captions[i].c_str(), -1),
                  CSTR_LESS_THAN)
            << captions[i - 1] << " before " << captions[i];
    }
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions, (std::vector<std::string>{"B.TXT", "LISTS\\行き先.TXT", "PAVLUNE.2.TXT", "Ｂ会議.TXT"}));
}

TEST(AddStringsFileMenuTest, NoAtLineGivesAnEmptySubmenu) {
    MessageMenu menu;
    menu.Entries.push_back(Entry("在席", ""));
    menu.Entries.push_back(Entry("-", ""));
    PopupMenuModel commandMenu = BuildCommandMenu();
    BuildAddStringsFileMenu(commandMenu, menu, "C:\\");
    EXPECT_TRUE(commandMenu.Item("RMenuOpenAddStringsFile").Items.empty());
}

}  // namespace
}  // namespace pavlune
