/* hold_file.exe PATH READY: a Windows program that holds PATH open as the
   TARNVEX application does (read and write, shared with nobody) until it is
   killed.  It creates the file READY once it has the handle, so that the
   test knows when to go on.  Cross-built with MinGW and run under Wine. */
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready =
      CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
