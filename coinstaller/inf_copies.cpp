// Stale copies of the card's setup information file. Windows keeps every
// installed driver package's INF as <windows>\inf\oem<n>.inf with its
// precompiled oem<n>.pnf; copies of older packages that mention the card's
// NETORX48.INF would be offered again for the card, so they go.
#include "coinstaller.h"
#include "text_search.h"
#include "wide_format.h"

const char INF_COPY_MARKER[] = "NETORX48.INF";

namespace {

// Read-only cleared, the other attributes kept.
void make_writable(CoinstallerHost& host, const WideChar* path) {
    const uint32_t attributes = host.file_attributes(path);
    if (attributes == HOST_INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & HOST_FILE_ATTRIBUTE_READONLY)) return;
    const uint32_t writable = attributes & ~HOST_FILE_ATTRIBUTE_READONLY;
    host.set_file_attributes(path, writable ? writable : HOST_FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

void remove_inf_copies(CoinstallerHost& host) {
    WideChar windows[DIRECTORY_CAPACITY];
    const uint32_t n = host.windows_directory(windows, DIRECTORY_CAPACITY);
    if (n == 0 || n >= DIRECTORY_CAPACITY) return;

    // Room for a terminator after the most that is read, so the search ends
    // within what this file gave.
    char text[INF_COPY_READ_BYTES + 1];
    for (unsigned number = 0;; ++number) {
        WideChar inf[PATH_CAPACITY];
        WideChar pnf[PATH_CAPACITY];
        if (!format_wide(inf, PATH_CAPACITY, "%s\\inf\\oem%d.inf", {windows, number}) ||
            !format_wide(pnf, PATH_CAPACITY, "%s\\inf\\oem%d.pnf", {windows, number}))
            return;
        // Windows numbers the copies without gaps: the first missing one
        // ends the scan.
        const int32_t got = host.read_text_file(inf, text, INF_COPY_READ_BYTES);
        if (got < 0) return;
        const uint32_t length = static_cast<uint32_t>(got);
        text[length < INF_COPY_READ_BYTES ? length : uint32_t{INF_COPY_READ_BYTES}] = '\0';
        // Narrow text, up to the first zero byte, case as the package spells it.
        if (!contains_text(text, INF_COPY_MARKER)) continue;
        make_writable(host, inf);
        make_writable(host, pnf);
        host.delete_file(inf);
        host.delete_file(pnf);
    }
}
