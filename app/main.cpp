/* main.cpp - the program's entry point: start-up, the message loop, shutdown
 * (all three in startup.cpp). */
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (AppStartup(instance) != 1)
        return -1;
    AppRunMessageLoop();
    AppShutdown();
    return 1;
}
