/* main.cpp - the program's entry point: start-up with the command line, the
 * message loop, shutdown (all three in startup.cpp). */
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (AppStartup(instance, GetCommandLineW()) != 1)
        return -1;
    AppRunMessageLoop();
    AppShutdown();
    return 1;
}
