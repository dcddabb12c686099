// The program-wide layered-window function pointer.
#include "frame/Layered.h"

namespace memo {
namespace {

SetLayeredWindowAttributesFn LookUpLayered() {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<SetLayeredWindowAttributesFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

const SetLayeredWindowAttributesFn gLayered = LookUpLayered();

}  // namespace

SetLayeredWindowAttributesFn LayeredFunction() { return gLayered; }

}  // namespace memo
