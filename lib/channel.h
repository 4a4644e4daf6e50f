// The channel to the running adapter driver: one device handle and one
// request block, opened and closed within one operation of its user.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/device.h"

enum : uint16_t {
    CHANNEL_STATUS_OK = 0,
    CHANNEL_STATUS_TRUNCATED = 8,
    CHANNEL_STATUS_INCOMPATIBLE = 65,
    CHANNEL_STATUS_NO_DRIVER = 66,
    CHANNEL_STATUS_BUSY = 68,
    CHANNEL_STATUS_BAD_ACTION = 255,
};

enum : uint16_t {
    CHANNEL_COMMAND_CONNECT = 0,
    CHANNEL_COMMAND_DISCONNECT = 1,
    CHANNEL_COMMAND_ACTION = 2,
    CHANNEL_COMMAND_GET_RECORD = 4,
    CHANNEL_COMMAND_PUT_RECORD = 5,
};

enum : uint16_t { CHANNEL_DISCONNECT_STATUS = 69 };

// The action that has the running driver take the records put before it;
// every configuration write ends with it.
enum : uint16_t { CHANNEL_ACTION_APPLY = 128 };

enum : unsigned {
    REQUEST_FRAME_SIZE = 8204,
    FRAME_DATA_WORDS = 4096,
};
// Largest card-record length: the type word and FRAME_DATA_WORDS data words.
const uint16_t CARD_RECORD_MAX_LENGTH = FRAME_DATA_WORDS + 1;

enum : uint32_t { CHANNEL_OBJECT_ID = 0xFF020401 };

// The block exchanged with the driver; request and answer share it.
// Little-endian, as on every machine the programs run on.
struct RequestFrame {
    uint32_t context;  // from the connect answer; must be non-zero
    uint16_t status;
    uint16_t command;
    uint16_t length;  // card record: words after this one (type + data)
    uint16_t type;    // record id, or the action code
    uint16_t data[FRAME_DATA_WORDS];
};
static_assert(sizeof(RequestFrame) == REQUEST_FRAME_SIZE, "request frame is 8204 bytes");
static_assert(offsetof(RequestFrame, status) == 4 && offsetof(RequestFrame, command) == 6 &&
                  offsetof(RequestFrame, length) == 8 && offsetof(RequestFrame, type) == 10 &&
                  offsetof(RequestFrame, data) == 12,
              "request frame offsets");

struct DriverChannel {
    RequestFrame frame;
    uint32_t open_generation;   // 0 while closed
    PlatHandle handle;          // PLAT_INVALID_HANDLE_VALUE while closed
    uint32_t dos_name_defined;  // the open defined the NT 4 DOS name: close removes it
};

extern DriverChannel driver_channel;

// A card record as its users keep it: words[0] the length (words after it),
// words[1] the record id, then the data words.
//
// card_get_record: on the way in, words[0] is how many words the buffer holds
// after the length word; on the way out, the length the driver reported.

// Words a record buffer needs for a record of this length: the length word,
// then `length` words.
constexpr unsigned card_record_words(uint16_t length) { return 1u + length; }
// A record buffer ready for a read or a put: length and id set, data zero.
void card_record_prepare(uint16_t* record, uint16_t length, uint16_t id);

// The driver's supported range, read by every open before the channel is
// handed out: variant, bottom and top in its third to fifth data words.
enum : uint16_t {
    RECORD_DRIVER_RANGE = 0x0827,
    RECORD_LENGTH_RANGE = 6,
};

uint16_t channel_open(const char* vendor_code);
void channel_close();
uint16_t channel_transact(RequestFrame* frame, uint32_t* byte_count);
uint16_t channel_action(uint16_t code);
uint16_t card_get_record(uint16_t* record);
uint16_t card_put_record(const uint16_t* record);
uint16_t check_driver_range();

// Back to program start (tests).
void channel_reset();
