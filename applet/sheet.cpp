// The property sheet's composition and caption.
#include "sheet.h"

#include "format.h"
#include "os.h"
#include "resource.h"
#include "store.h"

namespace {

// Network type codes as bits, for the table below.
constexpr uint32_t type_bit(uint32_t code) { return 1u << code; }

struct PageRule {
    SheetPage page;
    uint32_t types;  // type_bit of each network type that gets the page
};

const PageRule PROFILE_PAGES[] = {
    {{IDD_BASIC, IDS_BASIC},
     type_bit(NET_ACCESS_POINT) | type_bit(NET_RESIDENTIAL_GATEWAY) | type_bit(NET_PEER_TO_PEER) |
         type_bit(NET_BASE_STATION)},
    {{IDD_ENCRYPTION, IDS_ENCRYPTION},
     type_bit(NET_ACCESS_POINT) | type_bit(NET_BASE_STATION) | type_bit(NET_ADHOC_DEMO)},
    {{IDD_ADVANCED, IDS_ADVANCED}, type_bit(NET_ACCESS_POINT) | type_bit(NET_ADHOC_DEMO)},
    {{IDD_ADMIN, IDS_ADMIN},
     type_bit(NET_ACCESS_POINT) | type_bit(NET_BASE_STATION) | type_bit(NET_ADHOC_DEMO)},
};

const SheetPage ADAPTER_PAGE = {IDD_ADAPTER, IDS_ADAPTER};

// The profile the sheet edits; one outside 1 to 4 stands for profile 1, as
// the caption rule makes it.
uint32_t sheet_profile() {
    const uint32_t n = active_configuration.current_profile;
    return n >= 1 && n <= PROFILE_COUNT ? n : 1;
}

}  // namespace

unsigned sheet_pages(SheetPage pages[SHEET_PAGE_MAX]) {
    const ActiveConfiguration& config = active_configuration;
    const uint32_t type = config.profile_types[sheet_profile() - 1];
    unsigned count = 0;
    for (const PageRule& rule : PROFILE_PAGES)
        if (type < NETWORK_TYPE_COUNT && (rule.types & type_bit(type))) pages[count++] = rule.page;
    // The I/O base and interrupt are the driver's to set on NT 4 only, and
    // not at all under the Softex card services.
    if (config.softex_pcmcia == 0 && os_class == OS_WINNT) pages[count++] = ADAPTER_PAGE;
    return count;
}

void sheet_caption(const char* current, char* out, unsigned size) {
    if (!out || size == 0) return;
    ActiveConfiguration& config = active_configuration;
    if (config.current_profile < 1 || config.current_profile > PROFILE_COUNT)
        config.current_profile = 1;

    // Up to 255 characters of the caption; an earlier bracketed name goes,
    // with the blank before it.
    unsigned kept = 0;
    if (current) {
        while (kept < SHEET_CAPTION_SIZE - 1 && current[kept] != '\0' && current[kept] != '[')
            ++kept;
        if (kept < SHEET_CAPTION_SIZE - 1 && current[kept] == '[' && kept > 0) --kept;
    }
    const char* name = config.profile_names[config.current_profile - 1];
    format_bounded(out, size, "%.*s [%.*s]", static_cast<int>(kept), current ? current : "",
                   static_cast<int>(CONFIG_TEXT_SIZE - 1), name);
}
