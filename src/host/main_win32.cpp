// The entry of tavo.scr: wires the Windows backends, takes the command line after the program's name and
// ends the process with the mode's exit code. Nothing else happens here.
#include "host/cmdline.h"
#include "host/host_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    SetPasswordBackend(SystemPasswordBackend());
    gCheckPasswordBeforeClose = CheckPasswordBeforeClose;
    ExitProcess(static_cast<UINT>(HostMain(instance, CommandLineTail(GetCommandLineA()))));
}
