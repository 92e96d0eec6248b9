// zimdesk.exe: virtual desktops for one screen.

#include "app/application.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    zim::win32::Application application;
    return application.Run();
}
