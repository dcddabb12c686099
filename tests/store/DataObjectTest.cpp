// The program's own data object, format enumerator and drop source against
// the results that OLE callers act on, and the blocks a shell-item drag
// offers.
#include "store/DataObject.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/ShellDrag.h"
#include "tests/support/TestFiles.h"

// While set, every allocation of this program fails: the way to reach the
// paths that handle running out of memory.
std::atomic<bool> gFailAllocations{false};

// GCC sees the replaced operators inlined beside the library's own and takes
// malloc and free for a mismatch with new and delete; they are one pair.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  void* p = gFailAllocations ? nullptr : std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return gFailAllocations ? nullptr : std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace memo {
namespace {

using Bytes = std::vector<unsigned char>;

FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT) {
  return FORMATETC{cf, nullptr, aspect, -1, tymed};
}

STGMEDIUM GlobalMedium(const std::string& text) {
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalFromBytes(Bytes(text.begin(), text.end() + 1)).release();
  return medium;
}

std::string GlobalText(HGLOBAL global) {
  const char* p = static_cast<const char*>(::GlobalLock(global));
  std::string text = p ? p : "";
  ::GlobalUnlock(global);
  return text;
}

class DataObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(data_);
    ::CoInitialize(nullptr);
  }
  void TearDown() override {
    data_.reset();
    ::CoUninitialize();
  }
  void Put(CLIPFORMAT cf, const std::string& text, BOOL release = TRUE) {
    FORMATETC fe = Format(cf);
    STGMEDIUM medium = GlobalMedium(text);
    ASSERT_EQ(data_->SetData(&fe, &medium, release), S_OK);
    if (!release) ::ReleaseStgMedium(&medium);  // the object kept a copy
  }
  std::vector<CLIPFORMAT> Enumerated(IEnumFORMATETC* e) {
    std::vector<CLIPFORMAT> formats;
    FORMATETC fe;
    while (e->Next(1, &fe, nullptr) == S_OK) formats.push_back(fe.cfFormat);
    return formats;
  }

  ComPtr<IDataObject> data_{DataObject::Create()};
};

TEST_F(DataObjectTest, GetDataAndQueryGetDataAnswerWithTheirExactResults) {
  const CLIPFORMAT text = CF_TEXT, other = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("memo-other"));
  Put(text, "first");
  Put(text, "second");  // kept beside the first, not replacing it
  Put(other, "copied", FALSE);

  FORMATETC fe = Format(text);
  STGMEDIUM medium{};
  EXPECT_EQ(data_->GetData(nullptr, &medium), E_INVALIDARG);
  EXPECT_EQ(data_->GetData(&fe, nullptr), E_INVALIDARG);
  EXPECT_EQ(data_->QueryGetData(nullptr), E_INVALIDARG);
  FORMATETC thumbnail = Format(text, TYMED_HGLOBAL, DVASPECT_THUMBNAIL);
  EXPECT_EQ(data_->GetData(&thumbnail, &medium), DV_E_DVASPECT);
  EXPECT_EQ(data_->QueryGetData(&thumbnail), DV_E_DVASPECT);
  FORMATETC unknown = Format(CF_HDROP);
  EXPECT_EQ(data_->GetData(&unknown, &medium), DV_E_FORMATETC);
  EXPECT_EQ(data_->QueryGetData(&unknown), DV_E_FORMATETC);
  FORMATETC asStream = Format(text, TYMED_ISTREAM);
  EXPECT_EQ(data_->QueryGetData(&asStream), DV_E_FORMATETC);
  FORMATETC anyMedium = Format(text, TYMED_ISTREAM | TYMED_HGLOBAL, DVASPECT_CONTENT | DVASPECT_ICON);
  EXPECT_EQ(data_->QueryGetData(&anyMedium), S_OK);

  // The first entry of the format, as a copy that the caller frees alone.
  ASSERT_EQ(data_->GetData(&anyMedium, &medium), S_OK);
  EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  EXPECT_EQ(GlobalText(medium.hGlobal), "first");
  ::ReleaseStgMedium(&medium);
  FORMATETC otherFe = Format(other);
  ASSERT_EQ(data_->GetData(&otherFe, &medium), S_OK);
  EXPECT_EQ(GlobalText(medium.hGlobal), "copied");
  ::ReleaseStgMedium(&medium);
  // Asked again, the data is still there.
  ASSERT_EQ(data_->GetData(&fe, &medium), S_OK);
  EXPECT_EQ(GlobalText(medium.hGlobal), "first");
  ::ReleaseStgMedium(&medium);

  EXPECT_EQ(data_->GetDataHere(&fe, &medium), E_NOTIMPL);
  FORMATETC out;
  EXPECT_EQ(data_->GetCanonicalFormatEtc(&fe, &out), E_NOTIMPL);
  DWORD connection = 0;
  EXPECT_EQ(data_->DAdvise(&fe, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data_->DUnadvise(0), OLE_E_ADVISENOTSUPPORTED);
  IEnumSTATDATA* advises = nullptr;
  EXPECT_EQ(data_->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data_->SetData(nullptr, &medium, TRUE), E_INVALIDARG);
  EXPECT_EQ(data_->SetData(&fe, nullptr, TRUE), E_INVALIDARG);
}

TEST_F(DataObjectTest, AMediumItCannotCopyIsRefusedAsOutOfMemory) {
  ComPtr<IStream> stream;
  ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
  FORMATETC fe = Format(CF_TEXT, TYMED_ISTREAM);
  STGMEDIUM medium{};
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = stream.get();
  stream->AddRef();
  ASSERT_EQ(data_->SetData(&fe, &medium, TRUE), S_OK);
  EXPECT_EQ(data_->QueryGetData(&fe), S_OK);
  STGMEDIUM out{};
  EXPECT_EQ(data_->GetData(&fe, &out), E_OUTOFMEMORY);
  // Stored without taking it over, it could not be copied in the first place.
  EXPECT_EQ(data_->SetData(&fe, &medium, FALSE), E_OUTOFMEMORY);
}

TEST_F(DataObjectTest, AMediumItCouldNotStoreStaysTheCallers) {
  FORMATETC fe = Format(CF_TEXT);
  STGMEDIUM medium = GlobalMedium("kept");
  gFailAllocations = true;
  HRESULT result = data_->SetData(&fe, &medium, TRUE);
  gFailAllocations = false;
  EXPECT_EQ(result, E_OUTOFMEMORY);
  // A failed SetData takes nothing over: the caller frees the medium.
  ASSERT_NE(::GlobalFlags(medium.hGlobal), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the medium was freed";
  EXPECT_EQ(GlobalText(medium.hGlobal), "kept");
  ::ReleaseStgMedium(&medium);
  EXPECT_EQ(data_->QueryGetData(&fe), DV_E_FORMATETC);
}

TEST_F(DataObjectTest, AnswersOnlyItsOwnInterfaces) {
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(data_->QueryInterface(IID_IUnknown, unknown.put_void()), S_OK);
  ComPtr<IDataObject> again;
  EXPECT_EQ(data_->QueryInterface(IID_IDataObject, again.put_void()), S_OK);
  ComPtr<IDropSource> no;
  EXPECT_EQ(data_->QueryInterface(IID_IDropSource, no.put_void()), E_NOINTERFACE);
  EXPECT_FALSE(no);
  ComPtr<IDropSource> source(DropSource::Create());
  ComPtr<IDataObject> none;
  EXPECT_EQ(source->QueryInterface(IID_IDataObject, none.put_void()), E_NOINTERFACE);
  EXPECT_EQ(source->QueryInterface(IID_IDropSource, no.put_void()), S_OK);
}

TEST_F(DataObjectTest, TheEnumeratorFollowsItsNextSkipResetAndCloneRules) {
  Put(CF_TEXT, "a");
  Put(CF_HDROP, "b");
  Put(CF_TEXT, "c");
  ComPtr<IEnumFORMATETC> e;
  EXPECT_EQ(data_->EnumFormatEtc(DATADIR_SET, e.put()), E_NOTIMPL);
  ASSERT_EQ(data_->EnumFormatEtc(DATADIR_GET, e.put()), S_OK);

  FORMATETC got[4] = {};
  ULONG fetched = 99;
  EXPECT_EQ(e->Next(0, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(e->Next(1, nullptr, &fetched), S_FALSE);
  EXPECT_EQ(e->Next(2, got, nullptr), S_FALSE);  // only one may be asked for without a count
  ASSERT_EQ(e->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_TEXT);
  EXPECT_EQ(got[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));

  ComPtr<IEnumFORMATETC> clone;
  EXPECT_EQ(e->Clone(nullptr), E_POINTER);
  ASSERT_EQ(e->Clone(clone.put()), S_OK);

  EXPECT_EQ(e->Next(4, got, &fetched), S_FALSE);  // two left of four asked
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(got[0].cfFormat, CF_HDROP);
  EXPECT_EQ(got[1].cfFormat, CF_TEXT);
  EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  // The clone kept its own position.
  EXPECT_EQ(Enumerated(clone.get()), (std::vector<CLIPFORMAT>{CF_HDROP, CF_TEXT}));

  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(2), S_OK);
  ASSERT_EQ(e->Next(1, got, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(got[0].cfFormat, CF_TEXT);
  e->Reset();
  EXPECT_EQ(e->Skip(5), S_FALSE);
  EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
  e->Reset();
  EXPECT_EQ(Enumerated(e.get()), (std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP, CF_TEXT}));
}

TEST(DropSourceTest, DropsOnReleaseAndCancelsOnEscOrBothButtons) {
  ComPtr<IDropSource> source(DropSource::Create());
  ASSERT_TRUE(source);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_CONTROL), DRAGDROP_S_DROP);
  EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST(ShellDragBlocksTest, TheOneItemCidaAndTheDropFilesBlockAreLaidOutExactly) {
  const IdlBytes parent = {6, 0, 'a', 'b', 'c', 'd', 4, 0, 'e', 'f'};
  const IdlBytes item = {5, 0, 'x', 'y', 'z'};
  Bytes cida = CidaForOneItem(parent, item);
  ASSERT_EQ(cida.size(), 16 + parent.size() + item.size());
  UINT header[3];
  std::memcpy(header, cida.data(), sizeof(header));
  EXPECT_EQ(header[0], 1u);
  EXPECT_EQ(header[1], 12u);
  EXPECT_EQ(header[2], 12u + parent.size() + 2);
  EXPECT_EQ(Bytes(cida.begin() + 12, cida.begin() + 12 + parent.size()), parent);
  EXPECT_EQ(Bytes(cida.end() - 2 - item.size(), cida.end() - 2), item);
  std::vector<IdlBytes> read = AbsoluteIdlsFromCida(cida.data(), cida.size());
  ASSERT_EQ(read.size(), 1u);
  IdlBytes whole = parent;
  whole.insert(whole.end(), item.begin(), item.end());
  EXPECT_EQ(read[0], whole);

  const std::string path = "C:\\表\\report.doc";
  Bytes drop = DropFilesFor({path});
  ASSERT_EQ(drop.size(), 20 + path.size() + 2);
  DROPFILES head;
  std::memcpy(&head, drop.data(), sizeof(head));
  EXPECT_EQ(head.pFiles, 20u);
  EXPECT_EQ(head.pt.x, 0);
  EXPECT_EQ(head.pt.y, 0);
  EXPECT_FALSE(head.fNC);
  EXPECT_FALSE(head.fWide);
  EXPECT_EQ(drop[drop.size() - 1], 0);
  EXPECT_EQ(drop[drop.size() - 2], 0);
  EXPECT_EQ(FilesFromDropFiles(drop.data(), drop.size()), std::vector<std::string>{path});
}

TEST(ShellDragBlocksTest, AFileIsOfferedWithItsPathAndAVirtualItemOnlyAsItsIdList) {
  ::CoInitialize(nullptr);
  {
    const CLIPFORMAT idList = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("Shell IDList Array"));
    test::TempFolder folder("memo-drag");
    const std::string file = folder / "report.doc";
    ASSERT_TRUE(test::WriteBytes(file, "x"));
    CoTaskMem<ITEMIDLIST> fileIdl = IdlFromPath(file);
    ASSERT_TRUE(fileIdl);
    ComPtr<IDataObject> data = ShellItemData(fileIdl.get());
    ASSERT_TRUE(data);
    FORMATETC hdrop = Format(CF_HDROP), cida = Format(idList);
    EXPECT_EQ(data->QueryGetData(&cida), S_OK);
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&hdrop, &medium), S_OK);
    const auto* bytes = static_cast<const unsigned char*>(::GlobalLock(medium.hGlobal));
    EXPECT_EQ(FilesFromDropFiles(bytes, ::GlobalSize(medium.hGlobal)), std::vector<std::string>{file});
    ::GlobalUnlock(medium.hGlobal);
    ::ReleaseStgMedium(&medium);

    CoTaskMem<ITEMIDLIST> computer;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put()), S_OK);
    ComPtr<IDataObject> virtualItem = ShellItemData(computer.get());
    ASSERT_TRUE(virtualItem);
    EXPECT_EQ(virtualItem->QueryGetData(&cida), S_OK);
    EXPECT_EQ(virtualItem->QueryGetData(&hdrop), DV_E_FORMATETC);

    EXPECT_FALSE(ShellItemData(nullptr));
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace memo
