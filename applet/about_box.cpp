// The About box's logic.
#include "about_box.h"

#include "card_records.h"
#include "format.h"
#include "resource.h"

void about_init(View& view) {
    // The applet carries the release of the driver it was made for.
    char line[64];
    format_bounded(line, sizeof line, "%s Variant %d, Version %d.%02d", "RCPANEL48.CPL",
                   REQUIRED_DRIVER_IDENTITY.variant, REQUIRED_DRIVER_IDENTITY.major,
                   REQUIRED_DRIVER_IDENTITY.minor);
    view.set_text(IDC_ABOUT_TEXT, line);
}
