/* The contract between the program and the window-hook library "cbt.dll"
 * (and its 32-bit twin "cbt32.dll"): the library's three exports and the
 * messages it and the application launcher send to the program's hidden main
 * window.
 *
 * Plain C on purpose: the library is built without the C++ runtime, and the
 * portable core includes this header for the numbers, so nothing here needs
 * <windows.h>. The exports are declared only for Windows; the program's loader
 * takes their types from these declarations with decltype. */

#ifndef ZIM_CBT_API_H
#define ZIM_CBT_API_H

/* Messages to the main window. */
#define ZIM_CBT_WM_USER 0x0400u
/* wParam: a window; lParam: the system-menu command chosen in it. Result 0. */
#define ZIM_CBT_MSG_SEND_TO_DESKTOP (ZIM_CBT_WM_USER + 4u)
/* No parameters; nothing to do. */
#define ZIM_CBT_MSG_NOTIFY (ZIM_CBT_WM_USER + 5u)
/* Result: the grid's column count. */
#define ZIM_CBT_MSG_GET_SIZE_X (ZIM_CBT_WM_USER + 7u)
/* Result: the grid's row count. */
#define ZIM_CBT_MSG_GET_SIZE_Y (ZIM_CBT_WM_USER + 8u)
/* wParam: a window; lParam: address of two int32 (DX, DY) valid during the call. Result 0. */
#define ZIM_CBT_MSG_HIDE_MODE_MOVE (ZIM_CBT_WM_USER + 9u)

/* Registered messages, the same id in every process that registers the name.
 * "ZIM_APPSTARTING": no parameters. "ZIM_APPSTARTED": wParam the desktop number,
 * lParam the process id. The main window answers both with 10. */
#define ZIM_CBT_APPSTARTING_NAME "ZIM_APPSTARTING"
#define ZIM_CBT_APPSTARTED_NAME "ZIM_APPSTARTED"
#define ZIM_CBT_REGISTERED_RESULT 10

/* The class of the main window, by which other processes find it. */
#define ZIM_CBT_MAIN_WINDOW_CLASS "TZIM"

/* The wide form of one of the string constants above. */
#define ZIM_CBT_WIDE_(text) L##text
#define ZIM_CBT_WIDE(text) ZIM_CBT_WIDE_(text)

/* System-menu command of desktop n (1-based, row by row) is 16 x (3994 + n).
 * The low four bits of a system command are the system's and are ignored. */
#define ZIM_CBT_COMMAND_BASE 3994u
#define ZIM_CBT_COMMAND_STEP 16u
/* The largest grid is 10 x 10. */
#define ZIM_CBT_MAX_DESKTOPS 100

static inline unsigned ZimCbtCommandId(int desktopNumber)
{
    return ZIM_CBT_COMMAND_STEP * (ZIM_CBT_COMMAND_BASE + (unsigned)desktopNumber);
}

/* Any value at all: the result may lie outside every grid. */
static inline int ZimCbtDesktopFromCommand(unsigned commandId)
{
    return (int)(commandId >> 4) - (int)ZIM_CBT_COMMAND_BASE;
}

/* The 0-based column and row of the desktop a command names, if it lies in a
 * grid of sizeX x sizeY; returns 0 and leaves both alone otherwise. */
static inline int ZimCbtCommandCell(unsigned commandId, int sizeX, int sizeY, int* column, int* row)
{
    const int n = ZimCbtDesktopFromCommand(commandId);
    if (sizeX < 1 || sizeY < 1 || sizeX > 10 || sizeY > 10 || n < 1 || n > sizeX * sizeY)
    {
        return 0;
    }
    *column = (n - 1) % sizeX;
    *row = (n - 1) / sizeX;
    return 1;
}

#ifdef _WIN32

struct HWND__; /* HWND under STRICT, which <windows.h> defines by default */

#ifdef __cplusplus
extern "C"
{
#endif

    /* The window that receives the library's messages, shared by every process the
     * library is loaded into; 0 stops them. Always called before SetHook. */
    void __stdcall SetMainHandle(struct HWND__* mainWindow);
    /* Installs the global hook: every top-level window's system menu gets one
     * "Send to desktop (x,y)" item per desktop while it is installed. */
    void __stdcall SetHook(void);
    /* Removes the hook and, from the windows that answer, the items. */
    void __stdcall UnSetHook(void);

#ifdef __cplusplus
}
#endif

#endif /* _WIN32 */

#endif /* ZIM_CBT_API_H */
