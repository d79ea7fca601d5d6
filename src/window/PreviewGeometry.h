// Where the preview panel shows a frame: never enlarged, centred
// horizontally and 30 pixels below the vertical centre.
#pragma once

#include <wx/gdicmn.h>

wxRect PreviewPlacement(const wxSize& panelSize, const wxSize& pictureSize);
