#pragma once

// Resource ids of zimdesk.exe.

#define IDI_ZIMDESK 1
#define IDR_MANIFEST 1
