// A throwaway note store for the store tests: a fresh root folder under the
// temporary folder, published in RootPath2, removed again afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace memo::test {

// Puts a plain DefWindowProcA class in the place of one of the program's
// window classes for its scope, so that a test can make windows of that class
// without running the real window code; the real class comes back at the end.
class StandInClass {
 public:
  explicit StandInClass(const char* name) : name_(name) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    saved_.cbSize = sizeof(saved_);
    hadReal_ = ::GetClassInfoExA(instance, name, &saved_) != FALSE;
    if (hadReal_ && !::UnregisterClassA(name, instance)) return;  // windows of it exist
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    ok_ = ::RegisterClassExA(&wc) != 0;
  }
  ~StandInClass() {
    if (ok_) ::UnregisterClassA(name_, ::GetModuleHandleA(nullptr));
    if (hadReal_) {
      saved_.lpszClassName = name_;
      ::RegisterClassExA(&saved_);
    }
  }
  StandInClass(const StandInClass&) = delete;
  StandInClass& operator=(const StandInClass&) = delete;
  bool ok() const { return ok_; }

 private:
  const char* name_;
  WNDCLASSEXA saved_{};
  bool hadReal_ = false;
  bool ok_ = false;
};

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<TempFolder>("memo-store");
    root_ = folder_->path();
    ASSERT_TRUE(::SetEnvironmentVariableA("RootPath2", root_.c_str()));
  }

  void TearDown() override {
    ::SetEnvironmentVariableA("RootPath2", nullptr);
    folder_.reset();
  }

  std::string At(const std::string& relative) const { return *folder_ / relative; }
  void MakeFolder(const std::string& relative) { ASSERT_TRUE(test::MakeFolder(At(relative))); }
  void MakeFile(const std::string& relative) { ASSERT_TRUE(WriteBytes(At(relative), "")); }

  // Makes page the current page (with its folder, and common).
  void UsePage(const std::string& page) {
    MakeFolder("common");
    MakeFolder(page);
    IniSet(At("root.ini"), "Info", "CurrentPage", page.c_str());
  }

  std::unique_ptr<TempFolder> folder_;
  std::string root_;
};

}  // namespace memo::test
