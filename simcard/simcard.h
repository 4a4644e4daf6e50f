/*
 * simcard: a stand-in for the adapter driver. One card model that answers the
 * driver request block: connect, disconnect, action, get record, put record.
 *
 * Plain C99 with no C runtime: the same file is built into native tests, the
 * fuzz targets and the simcard.sys kernel driver that Wine loads. All state
 * lives in struct SimCard; nothing global.
 *
 * The request frame is 8204 bytes, little-endian, read and written byte by
 * byte so that neither the host's byte order nor the frame's alignment
 * matters:
 *     0  u32  context
 *     4  u16  status
 *     6  u16  command
 *     8  u16  length   (words after the length word: type + data)
 *    10  u16  type     (record id, or the action code)
 *    12  8192 bytes of data (4096 words)
 */
#ifndef SIMCARD_SIMCARD_H
#define SIMCARD_SIMCARD_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SIMCARD_IOCTL_QUERY_GLOBAL_STATS 0x00170002u
#define SIMCARD_OBJECT_ID 0xFF020401u
#define SIMCARD_FRAME_SIZE 8204u
#define SIMCARD_FRAME_DATA_WORDS 4096u
/* Largest length word the frame can carry: the type word plus 4096 data words. */
#define SIMCARD_MAX_LENGTH 4097u

#define SIMCARD_MAX_RECORDS 64u
/* Data words kept per record; a record may be longer, the rest reads as 0. */
#define SIMCARD_RECORD_DATA_WORDS 256u
#define SIMCARD_LOG_SIZE 128u

/* Commands. */
#define SIMCARD_CMD_CONNECT 0u
#define SIMCARD_CMD_DISCONNECT 1u
#define SIMCARD_CMD_ACTION 2u
#define SIMCARD_CMD_GET 4u
#define SIMCARD_CMD_PUT 5u

/* Answer statuses. 0, 8 and 68 are what the library knows; the others are
 * this card's own. */
#define SIMCARD_STATUS_OK 0u
#define SIMCARD_STATUS_NO_RECORD 1u
#define SIMCARD_STATUS_BAD_COMMAND 2u
#define SIMCARD_STATUS_STORE_FULL 3u
#define SIMCARD_STATUS_TRUNCATED 8u
#define SIMCARD_STATUS_BUSY 68u

/* Records the card holds from the start. */
#define SIMCARD_RECORD_IDENTITY 0x0826u
#define SIMCARD_RECORD_RANGE 0x0827u
#define SIMCARD_RECORD_MAC 0xFC01u

#define SIMCARD_DEFAULT_CONTEXT 0x5C1D0001u

/* What a record named in faults.no_answer_record gets. */
#define SIMCARD_NO_ANSWER_FAIL 0u   /* the exchange fails (DeviceIoControl answers 0) */
#define SIMCARD_NO_ANSWER_SILENT 1u /* the exchange succeeds but nothing is written */

struct SimCardRecord {
    uint16_t id;
    uint16_t length; /* the length word as the record was put (at most 4097) */
    uint32_t used;
    uint16_t data[SIMCARD_RECORD_DATA_WORDS];
};

/* Faults a test switches on. Zero means "behave". */
struct SimCardFaults {
    uint32_t busy_connects;     /* the next N connects answer 68; counts down */
    uint32_t zero_context;      /* connect answers status 0 with context 0 */
    uint32_t silent_connect;    /* connect succeeds but writes nothing at all */
    uint32_t no_answer_active;  /* 1: requests for no_answer_record get no answer */
    uint32_t no_answer_record;  /* record id (get or put) that gets no answer */
    uint32_t no_answer_mode;    /* SIMCARD_NO_ANSWER_FAIL or _SILENT */
    uint32_t fail_command_mask; /* bit c set: every exchange of command c fails */
};

/* One exchange as the card saw it. */
struct SimCardLogEntry {
    uint16_t command;
    uint16_t type;
    uint16_t length;
    uint16_t status; /* what the card answered; 0xFFFF when it failed or stayed silent */
};

struct SimCardCounters {
    uint32_t exchanges;    /* every call, whatever became of it */
    uint32_t bad_requests; /* wrong object id, sizes or pointers */
    uint32_t failed;       /* exchanges answered with failure (bad requests included) */
    uint32_t connects;     /* connect requests, busy ones included */
    uint32_t busy_answers;
    uint32_t disconnects;
    uint32_t actions;
    uint32_t last_action;
    uint32_t gets;
    uint32_t puts;
    uint32_t unknown_commands;
    uint32_t context_mismatches; /* requests after connect that carried another context */
    uint32_t last_put_id;
    uint32_t last_put_length; /* length word of the last put, as it came */
    uint32_t log_count;       /* entries logged; log keeps the first SIMCARD_LOG_SIZE */
};

struct SimCard {
    struct SimCardFaults faults;
    struct SimCardCounters counters;
    uint32_t context;      /* handed out by the last successful connect; 0 before */
    uint32_t next_context; /* what the next connect hands out (never 0) */
    uint32_t connected;    /* 1 between a successful connect and a disconnect */
    uint8_t mac[6];
    struct SimCardRecord records[SIMCARD_MAX_RECORDS];
    struct SimCardLogEntry log[SIMCARD_LOG_SIZE];
};

/* Defaults: identity 1, 6, 41; range variant 48, 1..99; the MAC address;
 * no faults, counters at 0. */
void simcard_init(struct SimCard* card);

/* One DeviceIoControl(IOCTL_NDIS_QUERY_GLOBAL_STATS): `in` must be the 4-byte
 * object id 0xFF020401, `frame` the 8204-byte request frame, answered in
 * place. Returns 1 with *returned set to the bytes written back (8204, or 0 for
 * a silent answer), or 0 for a failure (*returned 0). `returned` may be null. */
int simcard_exchange(struct SimCard* card, const void* in, unsigned in_size, void* frame,
                     unsigned frame_size, unsigned* returned);

/* Store a record: `length` is the record's length word (type + data words,
 * at most 4097), `data` its length - 1 data words (null: zeros). Data words
 * beyond SIMCARD_RECORD_DATA_WORDS are not kept. 1 on success, 0 when the
 * store is full or the length is too large. */
int simcard_set_record(struct SimCard* card, uint16_t id, uint16_t length, const uint16_t* data);

/* Read a stored record back: copies up to max_words of its data words (d0
 * first) into words_out and returns its length word, or -1 when the card has
 * no such record. */
int simcard_get_stored(const struct SimCard* card, uint16_t id, uint16_t* words_out,
                       unsigned max_words);

int simcard_remove_record(struct SimCard* card, uint16_t id);

/* Shorthands for the records the library checks. */
void simcard_set_identity(struct SimCard* card, uint16_t variant, uint16_t major, uint16_t minor);
void simcard_set_range(struct SimCard* card, uint16_t variant, uint16_t bottom, uint16_t top);
void simcard_set_mac(struct SimCard* card, const uint8_t mac[6]);

/* Forget counters and the log; records and faults stay. */
void simcard_clear_counters(struct SimCard* card);

/* The n-th logged exchange, or null. */
const struct SimCardLogEntry* simcard_log_entry(const struct SimCard* card, unsigned n);

#ifdef __cplusplus
}
#endif

#endif
