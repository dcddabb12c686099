// The main menu as built from the store: which items are grayed with and
// without a current page, and what the two generated sub-menus list.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/MainMenu.h"
#include "frame/NoteWindows.h"
#include "store/Store.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/ReadOnly.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

struct Item {
  std::string text;
  UINT id = 0;  // 0 for separators and sub-menus
  HMENU sub = nullptr;
  bool grayed = false;
  bool checked = false;
  bool separator = false;
};

std::vector<Item> Items(HMENU menu) {
  std::vector<Item> items;
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[512] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    Item item;
    item.text = text;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.sub = info.hSubMenu;
    item.id = info.hSubMenu ? 0 : info.wID;
    item.grayed = (info.fState & MFS_GRAYED) != 0;
    item.checked = (info.fState & MFS_CHECKED) != 0;
    items.push_back(item);
  }
  return items;
}

const Item* FindText(const std::vector<Item>& items, const std::string& text) {
  for (const Item& item : items) {
    if (item.text == text) return &item;
  }
  return nullptr;
}

const Item* FindId(const std::vector<Item>& items, UINT id) {
  for (const Item& item : items) {
    if (!item.separator && !item.sub && item.id == id) return &item;
  }
  return nullptr;
}

class MainMenuTest : public InProcessStoreTest {
 protected:
  std::vector<Item> Build(bool hasPage) {
    menu_ = BuildMainMenu(hasPage, &sources_);
    EXPECT_TRUE(menu_);
    return Items(menu_.get());
  }

  MainMenuSources sources_;
  UniqueMenu menu_;
};

// Every id that depends on a current page, and the sub-menu of new items.
constexpr UINT kNoteCommands[] = {260, 261, 262, 263, 264};

TEST_F(MainMenuTest, WithoutPageOnlyThePageFreeItemsAreEnabled) {
  // root.ini and common: two entries, so the pages sub-menu is enabled
  // although it has no item.
  std::vector<Item> top = Build(false);
  const Item* create = FindText(top, "新規作成(&N)");
  ASSERT_TRUE(create && create->sub);
  EXPECT_FALSE(create->grayed);
  std::vector<Item> newItems = Items(create->sub);
  for (UINT id : kNoteCommands) {
    const Item* item = FindId(newItems, id);
    ASSERT_TRUE(item) << id;
    EXPECT_TRUE(item->grayed) << item->text;
  }
  ASSERT_TRUE(FindId(newItems, 259));
  EXPECT_FALSE(FindId(newItems, 259)->grayed) << "new page";
  ASSERT_TRUE(FindId(newItems, 273));
  EXPECT_FALSE(FindId(newItems, 273)->grayed) << "new mini note";

  const Item* notes = FindText(top, "表示する付箋(&H)");
  ASSERT_TRUE(notes && notes->sub);
  EXPECT_TRUE(notes->grayed);
  const Item* pages = FindText(top, "表示するページ(&P)");
  ASSERT_TRUE(pages && pages->sub);
  EXPECT_FALSE(pages->grayed);
  EXPECT_EQ(::GetMenuItemCount(pages->sub), 0);
  ASSERT_TRUE(FindId(top, 265));
  EXPECT_TRUE(FindId(top, 265)->grayed) << "delete this page";
  for (UINT id : {266u, 8u}) {
    ASSERT_TRUE(FindId(top, id)) << id;
    EXPECT_FALSE(FindId(top, id)->grayed) << id;
  }
  const Item* help = FindText(top, "ヘルプ(&H)");
  ASSERT_TRUE(help && help->sub);
  EXPECT_FALSE(help->grayed);
  for (const Item& item : Items(help->sub)) EXPECT_TRUE(item.separator || !item.grayed) << item.text;
}

TEST_F(MainMenuTest, SearchFollowsThePagesToShowWithOrWithoutAPage) {
  for (bool hasPage : {false, true}) {
    if (hasPage) UsePage("page");
    std::vector<Item> top = Build(hasPage);
    for (size_t i = 0; i + 1 < top.size(); ++i) {
      if (top[i].text != "表示するページ(&P)") continue;
      EXPECT_EQ(top[i + 1].text, "付箋を検索(&S)...");
      EXPECT_EQ(top[i + 1].id, 290u);
      EXPECT_FALSE(top[i + 1].grayed);
    }
    ASSERT_TRUE(FindId(top, 290)) << hasPage;
  }
}

TEST_F(MainMenuTest, WithPageEverythingIsEnabledOnceThereAreNotes) {
  UsePage("page");
  std::vector<Item> top = Build(true);
  std::vector<Item> newItems = Items(FindText(top, "新規作成(&N)")->sub);
  for (const Item& item : newItems) EXPECT_TRUE(item.separator || !item.grayed) << item.text;
  EXPECT_FALSE(FindId(top, 265)->grayed);
  // A page without notes has nothing to show.
  EXPECT_TRUE(FindText(top, "表示する付箋(&H)")->grayed);

  ASSERT_TRUE(WriteBytes(Join(root_ / "page", "menu-a.txt"), "a"));
  top = Build(true);
  EXPECT_FALSE(FindText(top, "表示する付箋(&H)")->grayed) << "a note created since the last showing";
}

TEST_F(MainMenuTest, NotesToShowListPageThenCommonAndCheckOpenOnes) {
  UsePage("page");
  ASSERT_TRUE(WriteBytes(Join(root_ / "page", "menu-a.txt"), "a"));
  ASSERT_TRUE(MakeFolder(Join(root_ / "page", "menu-folder")));
  ASSERT_TRUE(WriteBytes(Join(root_ / "page", "menu-a.txt.ini"), "[Window]\r\n"));  // no note
  ASSERT_TRUE(WriteBytes(Join(root_ / "page", "menu-readme.doc"), "x"));          // no note
  ASSERT_TRUE(WriteBytes(Join(root_ / "common", "menu-c.txt"), "c"));
  HWND open = OpenNoteWindow("menu-a.txt", false, false);
  ASSERT_TRUE(open);
  Track(open);

  std::vector<Item> top = Build(true);
  std::vector<Item> items = Items(FindText(top, "表示する付箋(&H)")->sub);
  // Page notes in the file system's order, one separator, then common's
  // notes in quotes; the separator takes an index of its own.
  ASSERT_EQ(items.size(), 4u);
  EXPECT_TRUE(items[2].separator);
  std::set<std::string> pageNotes{items[0].text, items[1].text};
  EXPECT_EQ(pageNotes, (std::set<std::string>{"menu-a.txt", "menu-folder"}));
  EXPECT_EQ(items[3].text, "\"menu-c.txt\"");
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].separator) continue;
    EXPECT_EQ(items[i].id, 0x5000u + i) << items[i].text;
    EXPECT_EQ(items[i].checked, items[i].text == "menu-a.txt") << items[i].text;
    EXPECT_EQ(sources_.noteList[i], items[i].text);
  }

  // Deleted on disk since the last showing: gone from the menu.
  ::DestroyWindow(open);
  DeleteTree(Join(root_ / "page", "menu-folder"));
  items = Items(FindText(Build(true), "表示する付箋(&H)")->sub);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "menu-a.txt");
  EXPECT_FALSE(items[0].checked) << "its window is closed";
}

TEST_F(MainMenuTest, CommonNotesAloneComeWithoutSeparator) {
  UsePage("page");
  ASSERT_TRUE(WriteBytes(Join(root_ / "common", "menu-c.txt"), "c"));
  std::vector<Item> items = Items(FindText(Build(true), "表示する付箋(&H)")->sub);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, "\"menu-c.txt\"");
  EXPECT_EQ(items[0].id, 0x5000u);
}

TEST_F(MainMenuTest, PagesToShowAreSortedWithoutCaseAndCheckedUnlessReadOnly) {
  // common under another letter case is still no page.
  DeleteTree(root_ / "common");
  for (const char* folder : {"beta", "Alpha", "COMMON", "gamma"}) ASSERT_TRUE(MakeFolder(root_ / folder));
  ASSERT_TRUE(MakeReadOnly(root_ / "gamma"));

  std::vector<Item> top = Build(false);
  const Item* pages = FindText(top, "表示するページ(&P)");
  ASSERT_TRUE(pages && pages->sub);
  EXPECT_FALSE(pages->grayed);
  std::vector<Item> items = Items(pages->sub);
  // Sorted: Alpha 0, beta 1, COMMON 2, gamma 3, root.ini 4. Files and common
  // keep their index but get no item.
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "Alpha");
  EXPECT_EQ(items[0].id, 0x4000u);
  EXPECT_TRUE(items[0].checked);
  EXPECT_EQ(items[1].text, "beta");
  EXPECT_EQ(items[1].id, 0x4001u);
  EXPECT_TRUE(items[1].checked);
  EXPECT_EQ(items[2].text, "gamma");
  EXPECT_EQ(items[2].id, 0x4003u);
  EXPECT_FALSE(items[2].checked) << "a read-only folder is a hidden page";
  ASSERT_EQ(sources_.rootListing.size(), 5u);
  EXPECT_STREQ(sources_.rootListing[4].cFileName, "root.ini");
  ClearReadOnly(root_ / "gamma");
}

TEST_F(MainMenuTest, NamesShowAsTheyAreAndOnlyPagesThatCanOpenAreListed) {
  UsePage("a&b");
  ASSERT_TRUE(WriteBytes(Join(root_ / "a&b", "x&y.txt"), ""));
  ASSERT_TRUE(WriteBytes(Join(root_ / "common", "&c.txt"), ""));
  for (const char* folder : {" lead space", "'quoted'"}) ASSERT_TRUE(MakeFolder(root_ / folder));
  std::wstring wide = std::wstring(root_.path().begin(), root_.path().end()) + L"\\emoji \U0001F600";
  ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));

  std::vector<Item> top = Build(true);
  // "&&" shows one "&" and marks no shortcut.
  std::vector<Item> notes = Items(FindText(top, "表示する付箋(&H)")->sub);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0].text, "x&&y.txt");
  EXPECT_EQ(notes[2].text, "\"&&c.txt\"");
  std::vector<std::string> pages;
  for (const Item& item : Items(FindText(top, "表示するページ(&P)")->sub)) pages.push_back(item.text);
  EXPECT_EQ(pages, (std::vector<std::string>{"a&&b"}));
}

TEST_F(MainMenuTest, PagesToShowNeedTwoRootEntries) {
  DeleteTree(root_ / "common");
  // Only root.ini.
  EXPECT_TRUE(FindText(Build(false), "表示するページ(&P)")->grayed);
}

}  // namespace
}  // namespace memo::test
