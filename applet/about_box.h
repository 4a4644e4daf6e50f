// The About box (1206).
#pragma once

#include "view.h"

// Fills the release line: "RCPANEL48.CPL Variant 1, Version 6.41".
void about_init(View& view);
