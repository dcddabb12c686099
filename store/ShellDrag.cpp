// The drag of one shell item.
#include "store/ShellDrag.h"

#include <ole2.h>

namespace memo {

DWORD DragShellItem(PCIDLIST_ABSOLUTE idl) {
  // Not offered yet: without the program's own data object there is nothing
  // to hand to a drop target.
  (void)idl;
  return DROPEFFECT_NONE;
}

}  // namespace memo
