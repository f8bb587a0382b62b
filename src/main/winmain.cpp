// Brontiv.exe: no window, no command line; each start is one registration run.
#include "main/program.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProgram(); }
