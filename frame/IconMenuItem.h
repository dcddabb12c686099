// Owner-drawn menu entries with a small icon and a name: the item data of
// the folder note's special-folder menu and the browser note's favourites.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "store/Handles.h"

namespace memo {

struct IconMenuItem {
  CoTaskMem<ITEMIDLIST> idl;  // optional
  UniqueIcon icon;
  std::string name;
  std::string path;
};

// WM_MEASUREITEM and WM_DRAWITEM for ODT_MENU items whose data is an
// IconMenuItem.
void MeasureIconMenuItem(MEASUREITEMSTRUCT& measure);
void DrawIconMenuItem(const DRAWITEMSTRUCT& draw);

}  // namespace memo
