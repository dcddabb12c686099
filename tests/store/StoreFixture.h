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
