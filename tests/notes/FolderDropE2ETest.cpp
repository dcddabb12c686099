// Drops onto a folder note in the real program, dragged with the real mouse:
// files become shortcuts, shortcut files are copied as they are, a web link
// becomes an Internet shortcut under a clean name whatever name its source
// proposes, a program that cannot start is reported after the drop, not
// copied onto, a shell item is never copied onto a program, and an open
// folder dragged out is not held by the note.
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "store/DataObject.h"
#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/ShellLinks.h"
#include "tests/support/AppDriver.h"
#include "tests/support/DragFiles.h"
#include "tests/support/NoteSession.h"
#include "tests/support/RemoteTree.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kFolderClass[] = "Memopane-Folder";
constexpr char kScratchPrefix[] = "memopane-drop";

std::vector<std::string> ScratchFolders() {
  std::vector<std::string> found;
  for (const std::string& name : ListNames(TempDir())) {
    if (name.compare(0, sizeof(kScratchPrefix) - 1, kScratchPrefix) == 0) found.push_back(name);
  }
  return found;
}

std::string Parent(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool Offer(IDataObject* data, CLIPFORMAT format, const std::vector<unsigned char>& bytes) {
  FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalFromBytes(bytes).release();
  return data->SetData(&fe, &medium, TRUE) == S_OK;
}

// What a web browser offers for a dragged link.
ComPtr<IDataObject> WebLinkData(const std::string& url, const std::string& proposedName) {
  ComPtr<IDataObject> data(DataObject::Create());
  std::vector<unsigned char> group(sizeof(FILEGROUPDESCRIPTORA), 0);
  group[0] = 1;
  std::copy(proposedName.begin(), proposedName.end(), group.begin() + 76);
  if (!Offer(data.get(), UrlClipFormat(), std::vector<unsigned char>(url.c_str(), url.c_str() + url.size() + 1)) ||
      !Offer(data.get(), FileGroupClipFormat(), group)) {
    return {};
  }
  return data;
}

// What a shell namespace view offers for an item: its item id list only.
ComPtr<IDataObject> ShellItemOnlyData(const std::string& path) {
  CoTaskMem<ITEMIDLIST> idl = IdlFromPath(path);
  IdlBytes parent, last;
  if (!idl || !SplitLastItem(idl.get(), &parent, &last)) return {};
  ComPtr<IDataObject> data(DataObject::Create());
  if (!Offer(data.get(), ShellIdListClipFormat(), CidaForOneItem(parent, last))) return {};
  return data;
}

// A drop target of the test's own that deletes the folder dropped on it, as
// a file manager's move away or delete would, and notes what is left.
class DeletingTarget : public IDropTarget {
 public:
  explicit DeletingTarget(std::string folder) : folder_(std::move(folder)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == IID_IDropTarget) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_MOVE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_MOVE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    for (const std::string& name : ListNames(folder_)) ::DeleteFileA(Join(folder_, name).c_str());
    // A folder with an open change notification only goes once it closes.
    removed = ::RemoveDirectoryA(folder_.c_str()) && !FolderExists(folder_);
    dropped = true;
    *effect = DROPEFFECT_MOVE;
    return S_OK;
  }
  bool dropped = false;
  bool removed = false;

 private:
  std::string folder_;
};

class FolderDropTest : public ::testing::Test {
 protected:
  FolderDropTest() {
    ::OleInitialize(nullptr);
    MakeFolder(Docs());
    // The note stays up while the test's own windows are in front.
    IniSet(Docs() + ".ini", "Window", "Style", "1");
    WriteBytes(dropped_ / "report.doc", "report");
    WriteBytes(dropped_ / "site.url", kSiteUrl);
  }
  ~FolderDropTest() override { ::OleUninitialize(); }

  HWND StartWithNote() {
    if (!session_.Start()) return nullptr;
    return session_.WaitNote("docs", kFolderClass);
  }
  std::string Docs(const std::string& name = "") const {
    return name.empty() ? session_.NotePath("docs") : Join(session_.NotePath("docs"), name);
  }
  static POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  const std::string kSiteUrl = "[InternetShortcut]\r\nURL=http://example.com/site\r\n";
  UnmanagedWindowsScope unmanaged_;
  NoteSession session_;
  TempFolder dropped_{"memo-dropped"};
};

TEST_F(FolderDropTest, ALeftDropLinksFilesAndCopiesShortcutFilesAsTheyAre) {
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  // The empty tree below its items is the note's own folder.
  DWORD effect = DragFilesOnto(note, dropped_.path(), {"report.doc", "site.url"});
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "the source must not delete what was dropped";
  ASSERT_TRUE(WaitUntil([&] { return FileExists(Docs("report.doc.lnk")) && FileExists(Docs("site.url")); }))
      << ::testing::PrintToString(ListNames(Docs()));
  EXPECT_EQ(ResolveShortcut(Docs("report.doc.lnk")), dropped_ / "report.doc");
  EXPECT_EQ(ReadBytes(Docs("site.url")), kSiteUrl);
  EXPECT_EQ(ListNames(Docs()), (std::vector<std::string>{"report.doc.lnk", "site.url"}));
  EXPECT_TRUE(FileExists(dropped_ / "report.doc"));
  EXPECT_TRUE(FileExists(dropped_ / "site.url"));
  EXPECT_TRUE(ScratchFolders().empty()) << "temporary shortcuts are removed";
  HWND tree = NoteSession::Body(note);
  EXPECT_TRUE(WaitUntil([&] { return TreeTexts(tree) == std::vector<std::string>{"report.doc", "site.url"}; }));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderDropTest, AFolderOpensOnceTheDragRestsOnItAndTakesTheDrop) {
  ASSERT_TRUE(MakeFolder(Docs("sub")));
  ASSERT_TRUE(WriteBytes(Docs("sub\\inner.txt"), "x"));
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  HWND tree = NoteSession::Body(note);
  ASSERT_TRUE(WaitUntil([&] { return FindTreeItem(tree, "sub").has_value(); }));
  HTREEITEM sub = FindTreeItem(tree, "sub")->handle;
  std::optional<RECT> label = TreeItemLabelRect(tree, sub);
  ASSERT_TRUE(label);
  ComPtr<IDataObject> files(ShellDataObject(dropped_.path(), {"report.doc"}));
  ASSERT_TRUE(files);
  DragDataTo(files.get(), Middle(*label), 1800);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(Docs("sub\\report.doc.lnk")); }))
      << ::testing::PrintToString(ListNames(Docs("sub")));
  EXPECT_EQ(ResolveShortcut(Docs("sub\\report.doc.lnk")), dropped_ / "report.doc");
  EXPECT_EQ(ListNames(Docs()), std::vector<std::string>{"sub"});
  const UINT state = FindTreeItem(tree, "sub")->state;
  EXPECT_TRUE(state & TVIS_EXPANDED) << "opened by resting on it";
  EXPECT_FALSE(state & TVIS_DROPHILITED) << "the highlight goes with the drag";
  EXPECT_TRUE(WaitUntil([&] { return TreeTexts(tree, sub) == std::vector<std::string>{"report.doc", "inner.txt"}; }));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderDropTest, AWebLinkLandsUnderACleanNameWhateverNameItsSourceProposes) {
  // Files of that name in and above the temporary folder: a write through
  // the proposed name would change them, and its clean-up delete them.
  const std::string temp = TempDir();
  const std::string decoy = "not an Internet shortcut";
  struct Decoys {
    std::vector<std::string> files;
    ~Decoys() {
      for (const std::string& file : files) ::DeleteFileA(file.c_str());
    }
  } decoys{{Join(temp, "x.url"), Join(Parent(temp), "x.url"), Join(Parent(Parent(temp)), "x.url")}};
  for (const std::string& file : decoys.files) ASSERT_TRUE(WriteBytes(file, decoy)) << file;
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  ComPtr<IDataObject> link = WebLinkData("http://example.com/page?a=1", "..\\..\\x.url");
  ASSERT_TRUE(link);
  DragDataTo(link.get(), Middle(WindowRect(note)));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(Docs("x.url")); })) << ::testing::PrintToString(ListNames(Docs()));
  EXPECT_EQ(IniGet(Docs("x.url"), "InternetShortcut", "URL"), "http://example.com/page?a=1");
  EXPECT_EQ(ListNames(Docs()), std::vector<std::string>{"x.url"});
  for (const std::string& file : decoys.files) EXPECT_EQ(ReadBytes(file), decoy) << file;
  EXPECT_TRUE(ScratchFolders().empty());
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderDropTest, AProgramThatCannotStartIsNamedInABoxAndNothingIsCopiedOntoIt) {
  const std::string notAProgram = "this is text, not a program";
  ASSERT_TRUE(WriteBytes(Docs("broken.exe"), notAProgram));
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  HWND tree = NoteSession::Body(note);
  ASSERT_TRUE(WaitUntil([&] { return FindTreeItem(tree, "broken.exe").has_value(); }));
  std::optional<RECT> label = TreeItemLabelRect(tree, FindTreeItem(tree, "broken.exe")->handle);
  ASSERT_TRUE(label);

  std::optional<DialogInfo> box;
  std::atomic<bool> dragEnded{false};
  bool dragEndedBeforeTheAnswer = false;
  std::thread answer([&] {
    box = session_.app().WaitDialog(20000);
    // A box shown inside the drop would hold the drag until answered.
    dragEndedBeforeTheAnswer = WaitUntil([&] { return dragEnded.load(); }, 3000);
    if (box) session_.app().Answer(*box, IDOK);
  });
  ComPtr<IDataObject> files(ShellDataObject(dropped_.path(), {"report.doc"}));
  ASSERT_TRUE(files);
  DragDataTo(files.get(), Middle(*label));
  dragEnded = true;
  answer.join();
  ASSERT_TRUE(box);
  EXPECT_TRUE(dragEndedBeforeTheAnswer) << "the drag source was held by the box";
  EXPECT_TRUE(box->errorIcon);
  EXPECT_NE(box->text.find(Docs("broken.exe")), std::string::npos) << box->text;
  PumpFor(500);
  EXPECT_EQ(ReadBytes(Docs("broken.exe")), notAProgram);
  EXPECT_EQ(ListNames(Docs()), std::vector<std::string>{"broken.exe"});
  EXPECT_TRUE(ScratchFolders().empty());
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderDropTest, AShellItemDroppedOnAProgramIsNeitherCopiedOntoItNorLinkedElsewhere) {
  const std::string program = "@echo a program";
  ASSERT_TRUE(WriteBytes(Docs("run.bat"), program));
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  HWND tree = NoteSession::Body(note);
  ASSERT_TRUE(WaitUntil([&] { return FindTreeItem(tree, "run.bat").has_value(); }));
  std::optional<RECT> label = TreeItemLabelRect(tree, FindTreeItem(tree, "run.bat")->handle);
  ASSERT_TRUE(label);

  // The shell would ask before replacing the program: say yes to it.
  std::optional<DialogInfo> asked;
  std::thread answer([&] {
    asked = session_.app().WaitDialog(3000);
    if (asked) session_.app().Answer(*asked, IDYES);
  });
  ComPtr<IDataObject> item = ShellItemOnlyData(dropped_ / "report.doc");
  ASSERT_TRUE(item);
  DragDataTo(item.get(), Middle(*label));
  answer.join();
  EXPECT_FALSE(asked) << asked->text;
  PumpFor(500);
  EXPECT_EQ(ReadBytes(Docs("run.bat")), program);
  EXPECT_EQ(ListNames(Docs()), std::vector<std::string>{"run.bat"});
  EXPECT_TRUE(ScratchFolders().empty());
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderDropTest, AnOpenFolderDraggedOutCanBeTakenAwayByTheTarget) {
  ASSERT_TRUE(MakeFolder(Docs("sub")));
  ASSERT_TRUE(WriteBytes(Docs("sub\\inner.txt"), "x"));
  HWND note = StartWithNote();
  ASSERT_TRUE(note);
  HWND tree = NoteSession::Body(note);
  ASSERT_TRUE(WaitUntil([&] { return FindTreeItem(tree, "sub").has_value(); }));
  HTREEITEM sub = FindTreeItem(tree, "sub")->handle;
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(::SendMessageTimeoutA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(sub), SMTO_ABORTIFHUNG,
                                    5000, &ignored));
  ASSERT_TRUE(WaitUntil([&] { return TreeTexts(tree, sub) == std::vector<std::string>{"inner.txt"}; }));
  std::optional<RECT> label = TreeItemLabelRect(tree, sub);
  ASSERT_TRUE(label);

  DeletingTarget target(Docs("sub"));
  HWND bin = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", nullptr, WS_POPUP | WS_VISIBLE, 900, 600, 160, 160, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(bin);
  ASSERT_EQ(::RegisterDragDrop(bin, &target), S_OK);
  const POINT from = Middle(*label), to{980, 680};
  std::thread mover([&] {
    MouseMoveTo(from.x, from.y);
    MouseLeft(true);
    for (int step = 1; step <= 12; ++step) {
      ::Sleep(60);
      MouseMoveTo(from.x + (to.x - from.x) * step / 12, from.y + (to.y - from.y) * step / 12);
    }
    ::Sleep(300);
    MouseMoveTo(to.x + 1, to.y);
    ::Sleep(300);
    MouseLeft(false);
  });
  bool dropped = WaitUntil(
      [&] {
        PumpFor(50);
        return target.dropped;
      },
      10000);
  mover.join();
  ::RevokeDragDrop(bin);
  ::DestroyWindow(bin);
  ASSERT_TRUE(dropped);
  EXPECT_TRUE(target.removed) << "the note still held the folder";
  EXPECT_TRUE(WaitUntil([&] { return TreeTexts(tree).empty(); })) << ::testing::PrintToString(TreeTexts(tree));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
