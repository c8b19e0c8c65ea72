// Hostile names through every command: listing, tagging, sorting, copying, moving, renaming and
// deleting must work on them or refuse, and never act on a different file than the one shown.
#include <algorithm>

#include "fileops/confirm_dialog.h"
#include "fileops/text_dialog.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {

namespace {

ConfirmDialog& AsConfirm(ModalForm& f) { return static_cast<ConfirmDialog&>(f); }

std::function<int(ModalForm&)> Type(const std::string& text) {
    return [=](ModalForm& f) {
        static_cast<TextDialog&>(f).SetText(text);
        return IDOK;
    };
}

// Made through the \\?\ form, which keeps a trailing dot or space that the plain form strips.
void MakeExactFile(const std::string& path, const std::string& content) {
    AutoCloseHandle f(CreateFileW(Widen("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(f)) << path;
    DWORD n = 0;
    WriteFile(f.get(), content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
}

const std::string kLong = "L" + std::string(250, 'x') + ".txt";  // 255 characters, the most a name may have

// Names Windows allows, as the list shows them (file captions are already in caption case).
const std::vector<std::string> kNames = {
    "Café déjà vu.txt", "日本語のファイル.txt", "Emoji 😀 file.txt", "Two  spaces .txt", kLong,
};

class Names : public ReliabilityTest {
protected:
    void SetUp() override {
        ReliabilityTest::SetUp();
        std::int64_t size = 10;
        for (const std::string& n : kNames) MakeFile(L() + "\\" + n, size += 1000);
        Make({{"L\\[bracket].txt", 7}, {"L\\[parent]", 8}});
    }
    void TagNamed() {
        for (const std::string& n : kNames) Tag(Left(), n);
    }
};

}  // namespace

TEST_F(Names, ListedTaggedAndSortedAsTheyAre) {
    StartSides(L(), R());
    std::vector<std::string> shown = Captions(Left());
    std::sort(shown.begin(), shown.end());
    std::vector<std::string> want = kNames;
    for (const char* n : {"[parent]", "[parent]", "[bracket].txt"}) want.push_back(n);
    std::sort(want.begin(), want.end());
    EXPECT_EQ(shown, want);
    TagNamed();
    EXPECT_EQ(Left().TagCount, static_cast<std::int64_t>(kNames.size()));
    for (auto sort : {&MainWindow::SortByExt, &MainWindow::SortBySize, &MainWindow::SortByDate, &MainWindow::SortByName}) {
        (form.get()->*sort)(Left());
        std::vector<std::string> after = Captions(Left());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, want);
        EXPECT_EQ(Left().TagCount, static_cast<std::int64_t>(kNames.size()));
    }
}

TEST_F(Names, CopiedMovedRenamedAndDeletedWithoutLoss) {
    StartSides(L(), R());
    TagNamed();
    Tag(Left(), "[bracket].txt");  // a file that looks like a directory entry: a file all the same
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    std::set<std::string> copied{"R\\[bracket].txt"};
    for (const std::string& n : kNames) {
        copied.insert("R\\" + n);
        EXPECT_EQ(ReadAll(R() + "\\" + n), before.at("L\\" + n).content) << n;
    }
    EXPECT_EQ(ChangedSince(before), copied);

    // Renamed in place on the right, to other hostile names.
    form->Activate(form->side[1]);
    const Snapshot copiedState = Snap(tmp.Path());
    const std::vector<std::string> renamed = {"Ünïcödé 名前.txt", "Ещё 😀😀.txt", "Spaces at end .txt"};
    for (size_t i = 0; i < renamed.size(); ++i) {
        Pick(Right(), kNames[i]);
        modals.ExpectDialog("TextDialog", Type(renamed[i]));
        form->RenameCurrent(form->Active());
        EXPECT_EQ(ReadAll(R() + "\\" + renamed[i]), before.at("L\\" + kNames[i]).content) << renamed[i];
        EXPECT_NE(IndexOfCaption(Right(), renamed[i]), -1);
    }
    EXPECT_EQ(ChangedSince(copiedState).size(), 2 * renamed.size());

    // Moved into another folder on the same drive, then deleted there.
    MakeDir(tmp / "M");
    Right().Tree.SetDirectory(tmp / "M");  // the right side is active: it loads M
    form->Activate(form->side[0]);
    TagNamed();
    Tag(Left(), "[bracket].txt");
    const Snapshot beforeMove = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Move);
    for (const std::string& n : kNames) {
        EXPECT_FALSE(Exists(L() + "\\" + n)) << n;
        EXPECT_EQ(ReadAll(tmp / "M\\" + n), before.at("L\\" + n).content) << n;
    }
    // The bracketed file went too: a move takes every tagged entry.
    EXPECT_EQ(ReadAll(tmp / "M\\[bracket].txt"), before.at("L\\[bracket].txt").content);
    EXPECT_EQ(ChangedSince(beforeMove).size(), 2 * (kNames.size() + 1));

    form->Activate(form->side[1]);
    for (const std::string& n : kNames) Tag(Right(), n);
    const Snapshot beforeDelete = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    std::set<std::string> deleted;
    for (const std::string& n : kNames) deleted.insert("M\\" + n);
    EXPECT_EQ(ChangedSince(beforeDelete), deleted);
    std::vector<std::string> left = Captions(Right());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"[bracket].txt", "[parent]"}));
}

// "[bracket].txt" looks like the parent entry, yet it is a file for every command; the file called
// "[parent]" too, and the real parent entry is still left alone.
TEST_F(Names, BracketedFilesAreFiles) {
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "[bracket].txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ReadAll(R() + "\\[bracket].txt"), before.at("L\\[bracket].txt").content);
    Pick(Left(), "[bracket].txt");
    modals.ExpectDialog("TextDialog", Type("[renamed].txt"));
    form->RenameCurrent(form->Active());
    EXPECT_EQ(ReadAll(L() + "\\[renamed].txt"), before.at("L\\[bracket].txt").content);
    Pick(Left(), "[renamed].txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\[bracket].txt", "R\\[bracket].txt"}));
    const int parentEntry = static_cast<int>(std::find_if(Left().Entries.begin(), Left().Entries.end(),
        [](const Entry& e) { return e.kind == EntryKind::Parent; }) - Left().Entries.begin());
    ASSERT_LT(parentEntry, static_cast<int>(Left().Entries.size()));
    form->Activate(form->side[0]);
    Left().List.ClearSelection();
    Left().List.SetSelected(parentEntry, true);
    Left().List.SetFocused(parentEntry);
    Left().CurrentItem = parentEntry;
    const Snapshot beforeParent = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(beforeParent), std::set<std::string>{});
}

// A trailing dot or space is stripped by the plain path forms: "Data." would be taken for "Data".
TEST_F(Names, TrailingDotsAndSpacesNeverHitTheirNamesakes) {
    MakeExactFile(L() + "\\Data.", "with a dot");
    MakeFile(L() + "\\Data", 4);
    MakeExactFile(L() + "\\Space ", "with a space");
    StartSidesWith({{"L\\Space", 5}, {"R\\Data", 6}});
    EXPECT_NE(IndexOfCaption(Left(), "Data."), -1);
    EXPECT_NE(IndexOfCaption(Left(), "Space "), -1);
    const Snapshot before = Snap(tmp.Path());
    Tag(Left(), "Data.");
    Tag(Left(), "Space ");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ReadAll("\\\\?\\" + R() + "\\Data."), "with a dot");
    EXPECT_EQ(ReadAll(R() + "\\Data"), before.at("R\\Data").content);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\Data.", "R\\Space "}));

    const Snapshot beforeDelete = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(beforeDelete), (std::set<std::string>{"L\\Data.", "L\\Space "}));
    EXPECT_EQ(ReadAll(L() + "\\Data"), before.at("L\\Data").content);
    // To the recycle bin as well. (Wine's bin takes "Data." once; while it holds one already it
    // refuses the next, and the user would be asked: the earlier ones are cleared first.)
    EmptyTrash("Data.*");
    MakeExactFile(L() + "\\Data.", "again");
    form->Reread(form->Active());
    Pick(Left(), "Data.");
    const Snapshot beforeRecycle = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, true);
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(beforeRecycle), std::set<std::string>{"L\\Data."});
}

// Wine on Linux can hold two names that differ only in case, and names with characters Windows
// forbids (made on the host: Windows cannot). Both case twins show as "Same.txt"; a command on
// either reaches exactly that one, by its own name. Nothing is lost.
TEST_F(Names, NamesDifferingOnlyInCaseOrForbiddenOnWindows) {
    const std::string d = "D:\\hostile";
    if (!Exists(d + "\\Same.txt")) GTEST_SKIP() << "host files not made (host_files.sh)";
    StartSides(d, R());
    const Snapshot before = Snap(d);
    std::vector<std::string> shown = Captions(Left());
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Same.txt"), 2);
    EXPECT_EQ(shown.size(), 4u) << "the forbidden name is listed under another name";
    for (int twin = 0; twin < 2; ++twin) {
        int item = -1;
        for (int seen = -1; seen < twin;) {
            if (Left().Entries[static_cast<size_t>(++item)].caption == "Same.txt") ++seen;
        }
        const std::string name = Left().Entries[static_cast<size_t>(item)].Name();
        form->Activate(form->side[0]);
        Left().List.ClearSelection();
        Left().List.SetSelected(item, true);
        Left().List.SetFocused(item);
        Left().CurrentItem = item;
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        RunMenu(MenuItem::Copy);
        // (One at a time: to Windows the two names are one, and a copy of the second would replace the first.)
        EXPECT_EQ(ReadAll(R() + "\\" + name), name == "Same.txt" ? "upper and lower" : "ALL UPPER CASE") << name;
        RemoveTree(R() + "\\" + name);
    }
    EXPECT_EQ(Changes(before, Snap(d)), std::set<std::string>{});
}

}  // namespace bivane::test
