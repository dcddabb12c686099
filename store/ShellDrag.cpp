// The drag of one shell item: a one-item "Shell IDList Array", and CF_HDROP
// when the item is a file or folder, offered by the program's own data
// object.
#include "store/ShellDrag.h"

#include <ole2.h>

#include "store/DataObject.h"
#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {
namespace {

// Hands the bytes over to the data object; false when they could not be
// stored (the memory is then freed here).
bool Offer(IDataObject* data, CLIPFORMAT format, const std::vector<unsigned char>& bytes) {
  GlobalMem memory = GlobalFromBytes(bytes);
  if (!memory) return false;
  FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = memory.get();
  // On failure SetData has released the medium already.
  memory.release();
  return SUCCEEDED(data->SetData(&fe, &medium, TRUE));
}

}  // namespace

ComPtr<IDataObject> ShellItemData(PCIDLIST_ABSOLUTE idl) {
  IdlBytes parent, last;
  if (!SplitLastItem(idl, &parent, &last)) return {};
  ComPtr<IDataObject> data(DataObject::Create());
  if (!data) return {};
  if (!Offer(data.get(), ShellIdListClipFormat(), CidaForOneItem(parent, last))) return {};
  char path[kMaxPathBytes] = {};
  if (::SHGetPathFromIDListA(idl, path) && path[0]) {
    if (!Offer(data.get(), CF_HDROP, DropFilesFor({path}))) return {};
  }
  return data;
}

DWORD DragShellItem(PCIDLIST_ABSOLUTE idl) {
  ComPtr<IDataObject> data = ShellItemData(idl);
  ComPtr<IDropSource> source(DropSource::Create());
  if (!data || !source) return DROPEFFECT_NONE;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT result =
      ::DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

}  // namespace memo
