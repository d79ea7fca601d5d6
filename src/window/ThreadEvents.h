// The event by which worker threads hand results to the main window. Its
// integer is a progress percentage; 100 means the work is finished.
#pragma once

#include <wx/event.h>

extern const wxEventType wxEVT_COMMAND_THREAD_UPDATE;

enum
{
    ID_IMAGE_THREAD_UPDATE = 6,
    ID_SAVE_THREAD_UPDATE = 10
};
