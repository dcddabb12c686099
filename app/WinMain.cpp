// The entry point of memopane.exe.
#include <windows.h>

#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return memo::RunProgram(instance, showCommand);
}
