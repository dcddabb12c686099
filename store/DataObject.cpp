// The program's own data object, format enumerator and drop source.
#include "store/DataObject.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <new>

namespace memo {
namespace {

// The one QueryInterface of our COM classes: IUnknown and the listed
// interfaces, all served by the one vtable of the object.
template <typename Interface>
HRESULT QueryTable(Interface* self, REFIID riid, void** object, std::initializer_list<const IID*> iids) {
  if (!object) return E_POINTER;
  for (const IID* iid : iids) {
    if (riid == *iid) {
      *object = self;
      self->AddRef();
      return S_OK;
    }
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

constexpr DWORD kCopiedMedia = TYMED_HGLOBAL | TYMED_FILE | TYMED_GDI | TYMED_MFPICT | TYMED_ENHMF;

// A copy of the medium's data that the receiver owns, with no release
// object; false for another medium type or when the copy fails.
bool DuplicateMedium(const STGMEDIUM& source, CLIPFORMAT format, STGMEDIUM* copy) {
  *copy = STGMEDIUM{};
  copy->tymed = source.tymed;
  switch (source.tymed) {
    case TYMED_HGLOBAL:
      // Format 0: copied as plain global memory whatever the format says.
      copy->hGlobal = static_cast<HGLOBAL>(::OleDuplicateData(source.hGlobal, 0, GMEM_MOVEABLE));
      return copy->hGlobal != nullptr;
    case TYMED_GDI:
      copy->hBitmap = static_cast<HBITMAP>(
          ::OleDuplicateData(source.hBitmap, format == CF_PALETTE ? CF_PALETTE : CF_BITMAP, 0));
      return copy->hBitmap != nullptr;
    case TYMED_MFPICT:
      copy->hMetaFilePict = ::OleDuplicateData(source.hMetaFilePict, CF_METAFILEPICT, 0);
      return copy->hMetaFilePict != nullptr;
    case TYMED_ENHMF:
      copy->hEnhMetaFile = static_cast<HENHMETAFILE>(::OleDuplicateData(source.hEnhMetaFile, CF_ENHMETAFILE, 0));
      return copy->hEnhMetaFile != nullptr;
    case TYMED_FILE: {
      if (!source.lpszFileName) return false;
      size_t bytes = (std::wcslen(source.lpszFileName) + 1) * sizeof(wchar_t);
      copy->lpszFileName = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
      if (!copy->lpszFileName) return false;
      std::memcpy(copy->lpszFileName, source.lpszFileName, bytes);
      return true;
    }
  }
  copy->tymed = TYMED_NULL;
  return false;
}

}  // namespace

FormatCopy::FormatCopy(const FORMATETC& source) : format(source) {
  format.ptd = nullptr;
  if (source.ptd && source.ptd->tdSize >= sizeof(DVTARGETDEVICE)) {
    format.ptd = static_cast<DVTARGETDEVICE*>(::CoTaskMemAlloc(source.ptd->tdSize));
    if (format.ptd) std::memcpy(format.ptd, source.ptd, source.ptd->tdSize);
  }
}

FormatCopy::~FormatCopy() { ::CoTaskMemFree(format.ptd); }

// ---- DataObject

struct DataObject::Entry {
  FormatCopy format;
  STGMEDIUM medium;
  bool owned;
};

DataObject* DataObject::Create() { return new (std::nothrow) DataObject(); }

DataObject::~DataObject() {
  for (Entry* entry : entries_) {
    if (entry->owned) ::ReleaseStgMedium(&entry->medium);
    delete entry;
  }
}

STDMETHODIMP DataObject::QueryInterface(REFIID riid, void** object) {
  return QueryTable(static_cast<IDataObject*>(this), riid, object, {&IID_IUnknown, &IID_IDataObject});
}
STDMETHODIMP_(ULONG) DataObject::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
STDMETHODIMP_(ULONG) DataObject::Release() {
  LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

const DataObject::Entry* DataObject::Find(const FORMATETC& format) const {
  for (const Entry* entry : entries_) {
    if (entry->format.format.cfFormat == format.cfFormat && (entry->medium.tymed & format.tymed)) return entry;
  }
  return nullptr;
}

STDMETHODIMP DataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  if (!(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
  const Entry* entry = Find(*format);
  if (!entry) return DV_E_FORMATETC;
  if (!(entry->medium.tymed & kCopiedMedia)) return E_OUTOFMEMORY;
  STGMEDIUM copy;
  if (!DuplicateMedium(entry->medium, entry->format.format.cfFormat, &copy)) return E_OUTOFMEMORY;
  // The copy is the caller's own, released by it alone: handing it the
  // entry's release object would leave the copy to nobody.
  *medium = copy;
  return S_OK;
}

STDMETHODIMP DataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP DataObject::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (!(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
  return Find(*format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP DataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }

STDMETHODIMP DataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (!format || !medium) return E_INVALIDARG;
  STGMEDIUM stored = *medium;
  if (!release && !DuplicateMedium(*medium, format->cfFormat, &stored)) return E_OUTOFMEMORY;
  Entry* entry = new (std::nothrow) Entry{FormatCopy(*format), stored, true};
  bool added = false;
  if (entry) {
    try {
      entries_.push_back(entry);
      added = true;
    } catch (...) {
    }
  }
  if (added) return S_OK;
  delete entry;
  // A copy of ours is released; a medium offered to us stays the caller's:
  // a failed SetData takes nothing over, and the caller frees it.
  if (!release) ::ReleaseStgMedium(&stored);
  return E_OUTOFMEMORY;
}

STDMETHODIMP DataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  try {
    std::vector<FormatCopy> formats;
    formats.reserve(entries_.size());
    for (const Entry* entry : entries_) formats.emplace_back(entry->format);
    *result = FormatEnumerator::Create(formats);
  } catch (...) {
  }
  return *result ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP DataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP DataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP DataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---- FormatEnumerator

FormatEnumerator* FormatEnumerator::Create(const std::vector<FormatCopy>& formats, size_t position) {
  try {
    return new FormatEnumerator(formats, position);
  } catch (...) {
    return nullptr;
  }
}

STDMETHODIMP FormatEnumerator::QueryInterface(REFIID riid, void** object) {
  return QueryTable(static_cast<IEnumFORMATETC*>(this), riid, object, {&IID_IUnknown, &IID_IEnumFORMATETC});
}
STDMETHODIMP_(ULONG) FormatEnumerator::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
STDMETHODIMP_(ULONG) FormatEnumerator::Release() {
  LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP FormatEnumerator::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (count == 0 || !formats || position_ >= formats_.size() || (!fetched && count != 1)) return S_FALSE;
  ULONG copied = 0;
  while (copied < count && position_ < formats_.size()) {
    // The caller owns what it receives, target device included.
    FormatCopy copy(formats_[position_].format);
    formats[copied] = copy.format;
    copy.format.ptd = nullptr;
    ++copied;
    ++position_;
  }
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

STDMETHODIMP FormatEnumerator::Skip(ULONG count) {
  size_t left = formats_.size() - position_;
  if (count > left) {
    position_ = formats_.size();
    return S_FALSE;
  }
  position_ += count;
  return S_OK;
}

STDMETHODIMP FormatEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

STDMETHODIMP FormatEnumerator::Clone(IEnumFORMATETC** result) {
  if (!result) return E_POINTER;
  *result = Create(formats_, position_);
  return *result ? S_OK : E_OUTOFMEMORY;
}

// ---- DropSource

DropSource* DropSource::Create() { return new (std::nothrow) DropSource(); }

STDMETHODIMP DropSource::QueryInterface(REFIID riid, void** object) {
  return QueryTable(static_cast<IDropSource*>(this), riid, object, {&IID_IUnknown, &IID_IDropSource});
}
STDMETHODIMP_(ULONG) DropSource::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
STDMETHODIMP_(ULONG) DropSource::Release() {
  LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP DropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  const DWORD both = MK_LBUTTON | MK_RBUTTON;
  if (escapePressed || (keyState & both) == both) return DRAGDROP_S_CANCEL;
  return (keyState & both) ? S_OK : DRAGDROP_S_DROP;
}

STDMETHODIMP DropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

}  // namespace memo
