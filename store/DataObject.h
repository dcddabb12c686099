// The program's own OLE data object, format enumerator and drop source, with
// which a note drags shell items out to any drop target.
//
// How to use:
//   ComPtr<IDataObject> data(DataObject::Create());   // count 1, ours
//   data->SetData(&format, &medium, TRUE);            // the object owns medium
//   ComPtr<IDropSource> source(DropSource::Create());
//   ::DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY, &effect);
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

namespace memo {

// A FORMATETC whose target device, if any, is a copy of its own.
struct FormatCopy {
  FORMATETC format{};
  explicit FormatCopy(const FORMATETC& source);
  FormatCopy(const FormatCopy& other) : FormatCopy(other.format) {}
  FormatCopy& operator=(const FormatCopy&) = delete;
  ~FormatCopy();
};

class DataObject final : public IDataObject {
 public:
  // A new object with a count of 1, or nullptr when memory runs out.
  static DataObject* Create();

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** result) override;

 private:
  struct Entry;
  DataObject() = default;
  ~DataObject();
  const Entry* Find(const FORMATETC& format) const;

  LONG refs_ = 1;
  std::vector<Entry*> entries_;  // in the order set; the first match wins
};

class FormatEnumerator final : public IEnumFORMATETC {
 public:
  // Copies of the formats, the position at `position`; nullptr when memory
  // runs out.
  static FormatEnumerator* Create(const std::vector<FormatCopy>& formats, size_t position = 0);

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumFORMATETC** result) override;

 private:
  FormatEnumerator(const std::vector<FormatCopy>& formats, size_t position)
      : formats_(formats), position_(position) {}
  ~FormatEnumerator() = default;

  LONG refs_ = 1;
  std::vector<FormatCopy> formats_;
  size_t position_;
};

// Drops when both buttons are up; Esc, or the second button pressed during
// the drag, cancels it.
class DropSource final : public IDropSource {
 public:
  static DropSource* Create();

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  STDMETHODIMP GiveFeedback(DWORD effect) override;

 private:
  DropSource() = default;
  ~DropSource() = default;

  LONG refs_ = 1;
};

}  // namespace memo
