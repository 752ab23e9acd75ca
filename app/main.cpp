// The process entry of velmora.exe; the shell itself lives in velmora_app.
#include "app_main.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return app_main(GetModuleHandleA(nullptr));
}
