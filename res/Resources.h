#pragma once

// The program's resources: the dialog templates (res/Resources.cpp) and the icon and bitmaps
// (res/Images.cpp), found by id as the window layer asks for them (platform::SetResources).

#include "platform/win/Win.h"

namespace res {

const platform::DialogTemplate* FindDialogTemplate(UINT id);
const char* FindImageResource(UINT id);

} // namespace res
