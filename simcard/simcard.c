/*
 * simcard: the card model behind the stand-in adapter driver.
 *
 * No C runtime here (the kernel driver links only ntoskrnl): every copy and
 * clear is a plain loop, and the build keeps the compiler from turning those
 * loops back into memcpy/memset calls.
 */
#include "simcard.h"

#define OFF_CONTEXT 0u
#define OFF_STATUS 4u
#define OFF_COMMAND 6u
#define OFF_LENGTH 8u
#define OFF_TYPE 10u
#define OFF_DATA 12u

#define NO_STATUS 0xFFFFu

static const uint8_t default_mac[6] = {0x02, 0x00, 0x5C, 0x4C, 0x7B, 0x11};

static uint16_t get16(const uint8_t* frame, unsigned off) {
    return (uint16_t)(frame[off] | (frame[off + 1] << 8));
}

static uint32_t get32(const uint8_t* frame, unsigned off) {
    return (uint32_t)frame[off] | ((uint32_t)frame[off + 1] << 8) |
           ((uint32_t)frame[off + 2] << 16) | ((uint32_t)frame[off + 3] << 24);
}

static void put16(uint8_t* frame, unsigned off, uint16_t value) {
    frame[off] = (uint8_t)(value & 0xFF);
    frame[off + 1] = (uint8_t)(value >> 8);
}

static void put32(uint8_t* frame, unsigned off, uint32_t value) {
    frame[off] = (uint8_t)(value & 0xFF);
    frame[off + 1] = (uint8_t)((value >> 8) & 0xFF);
    frame[off + 2] = (uint8_t)((value >> 16) & 0xFF);
    frame[off + 3] = (uint8_t)(value >> 24);
}

/* Data word i of the frame; callers keep i below SIMCARD_FRAME_DATA_WORDS. */
static uint16_t get_data(const uint8_t* frame, unsigned i) {
    return get16(frame, OFF_DATA + 2u * i);
}

static void put_data(uint8_t* frame, unsigned i, uint16_t value) {
    put16(frame, OFF_DATA + 2u * i, value);
}

static void clear_bytes(void* p, unsigned n) {
    volatile uint8_t* b = (volatile uint8_t*)p;
    unsigned i;
    for (i = 0; i < n; i++) b[i] = 0;
}

static struct SimCardRecord* find_record(struct SimCard* card, uint16_t id) {
    unsigned i;
    for (i = 0; i < SIMCARD_MAX_RECORDS; i++)
        if (card->records[i].used && card->records[i].id == id) return &card->records[i];
    return 0;
}

static struct SimCardRecord* find_or_add_record(struct SimCard* card, uint16_t id) {
    unsigned i;
    struct SimCardRecord* rec = find_record(card, id);
    if (rec) return rec;
    for (i = 0; i < SIMCARD_MAX_RECORDS; i++) {
        if (!card->records[i].used) {
            rec = &card->records[i];
            clear_bytes(rec, sizeof *rec);
            rec->used = 1;
            rec->id = id;
            return rec;
        }
    }
    return 0;
}

static void log_exchange(struct SimCard* card, uint16_t command, uint16_t type, uint16_t length,
                         uint16_t status) {
    uint32_t n = card->counters.log_count;
    if (n < SIMCARD_LOG_SIZE) {
        card->log[n].command = command;
        card->log[n].type = type;
        card->log[n].length = length;
        card->log[n].status = status;
    }
    if (n != 0xFFFFFFFFu) card->counters.log_count = n + 1;
}

void simcard_clear_counters(struct SimCard* card) {
    clear_bytes(&card->counters, sizeof card->counters);
    clear_bytes(card->log, sizeof card->log);
}

void simcard_set_mac(struct SimCard* card, const uint8_t mac[6]) {
    uint16_t words[3];
    unsigned i;
    for (i = 0; i < 6; i++) card->mac[i] = mac[i];
    /* Memory order: the low byte of each word comes first. */
    for (i = 0; i < 3; i++) words[i] = (uint16_t)(mac[2 * i] | (mac[2 * i + 1] << 8));
    simcard_set_record(card, SIMCARD_RECORD_MAC, 4, words);
}

void simcard_set_identity(struct SimCard* card, uint16_t variant, uint16_t major, uint16_t minor) {
    uint16_t words[4];
    words[0] = 0;
    words[1] = variant;
    words[2] = major;
    words[3] = minor;
    simcard_set_record(card, SIMCARD_RECORD_IDENTITY, 5, words);
}

void simcard_set_range(struct SimCard* card, uint16_t variant, uint16_t bottom, uint16_t top) {
    uint16_t words[5];
    words[0] = 0;
    words[1] = 0;
    words[2] = variant;
    words[3] = bottom;
    words[4] = top;
    simcard_set_record(card, SIMCARD_RECORD_RANGE, 6, words);
}

void simcard_init(struct SimCard* card) {
    clear_bytes(card, sizeof *card);
    card->next_context = SIMCARD_DEFAULT_CONTEXT;
    simcard_set_identity(card, 1, 6, 41);
    simcard_set_range(card, 48, 1, 99);
    simcard_set_mac(card, default_mac);
}

int simcard_set_record(struct SimCard* card, uint16_t id, uint16_t length, const uint16_t* data) {
    struct SimCardRecord* rec;
    unsigned i, words;
    if (length > SIMCARD_MAX_LENGTH) return 0;
    rec = find_or_add_record(card, id);
    if (!rec) return 0;
    rec->length = length;
    words = length > 0 ? length - 1u : 0u;
    for (i = 0; i < SIMCARD_RECORD_DATA_WORDS; i++)
        rec->data[i] = (data && i < words) ? data[i] : 0;
    return 1;
}

int simcard_get_stored(const struct SimCard* card, uint16_t id, uint16_t* words_out,
                       unsigned max_words) {
    unsigned i, words;
    const struct SimCardRecord* rec = find_record((struct SimCard*)card, id);
    if (!rec) return -1;
    words = rec->length > 0 ? rec->length - 1u : 0u;
    for (i = 0; words_out && i < max_words && i < words; i++)
        words_out[i] = i < SIMCARD_RECORD_DATA_WORDS ? rec->data[i] : 0;
    return rec->length;
}

int simcard_remove_record(struct SimCard* card, uint16_t id) {
    struct SimCardRecord* rec = find_record(card, id);
    if (!rec) return 0;
    clear_bytes(rec, sizeof *rec);
    return 1;
}

const struct SimCardLogEntry* simcard_log_entry(const struct SimCard* card, unsigned n) {
    if (n >= card->counters.log_count || n >= SIMCARD_LOG_SIZE) return 0;
    return &card->log[n];
}

/* ---- the commands ---- */

static int answer_connect(struct SimCard* card, uint8_t* frame, uint16_t* status) {
    card->counters.connects++;
    if (card->faults.silent_connect) return 0;
    if (card->faults.busy_connects) {
        card->faults.busy_connects--;
        card->counters.busy_answers++;
        *status = SIMCARD_STATUS_BUSY;
        return 1;
    }
    if (card->faults.zero_context) {
        put32(frame, OFF_CONTEXT, 0);
    } else {
        card->context = card->next_context;
        card->next_context++;
        if (card->next_context == 0) card->next_context = 1;
        card->connected = 1;
        put32(frame, OFF_CONTEXT, card->context);
    }
    *status = SIMCARD_STATUS_OK;
    return 1;
}

static uint16_t answer_get(struct SimCard* card, uint8_t* frame, uint16_t id, uint16_t asked) {
    const struct SimCardRecord* rec = find_record(card, id);
    unsigned fits, deliver, i;
    uint16_t status;

    card->counters.gets++;
    if (!rec) return SIMCARD_STATUS_NO_RECORD;
    /* The frame never holds more than 4097 words after the length word. */
    fits = asked < SIMCARD_MAX_LENGTH ? asked : SIMCARD_MAX_LENGTH;
    if (rec->length > fits) {
        deliver = fits;
        status = SIMCARD_STATUS_TRUNCATED;
    } else {
        deliver = rec->length;
        status = SIMCARD_STATUS_OK;
    }
    /* The length word tells the record's whole length, even when cut short. */
    put16(frame, OFF_LENGTH, rec->length);
    if (deliver >= 1) put16(frame, OFF_TYPE, rec->id);
    for (i = 0; i + 1u < deliver; i++)
        put_data(frame, i, i < SIMCARD_RECORD_DATA_WORDS ? rec->data[i] : 0);
    return status;
}

static uint16_t answer_put(struct SimCard* card, const uint8_t* frame, uint16_t id,
                           uint16_t length) {
    struct SimCardRecord* rec;
    unsigned taken, words, i;

    card->counters.puts++;
    card->counters.last_put_id = id;
    card->counters.last_put_length = length;
    /* A longer length word cannot be backed by the frame: take what is there. */
    taken = length < SIMCARD_MAX_LENGTH ? length : SIMCARD_MAX_LENGTH;
    rec = find_or_add_record(card, id);
    if (!rec) return SIMCARD_STATUS_STORE_FULL;
    rec->length = (uint16_t)taken;
    words = taken > 0 ? taken - 1u : 0u;
    for (i = 0; i < SIMCARD_RECORD_DATA_WORDS; i++)
        rec->data[i] = i < words ? get_data(frame, i) : 0;
    return SIMCARD_STATUS_OK;
}

static int no_answer_for(const struct SimCard* card, uint16_t id) {
    return card->faults.no_answer_active && card->faults.no_answer_record == id;
}

int simcard_exchange(struct SimCard* card, const void* in, unsigned in_size, void* frame_out,
                     unsigned frame_size, unsigned* returned) {
    const uint8_t* id_bytes = (const uint8_t*)in;
    uint8_t* frame = (uint8_t*)frame_out;
    uint16_t command, length, type, status = SIMCARD_STATUS_OK;
    int answered = 1;

    if (returned) *returned = 0;
    if (!card) return 0;
    card->counters.exchanges++;
    if (!in || in_size != 4 || !frame || frame_size != SIMCARD_FRAME_SIZE ||
        get32(id_bytes, 0) != SIMCARD_OBJECT_ID) {
        card->counters.bad_requests++;
        card->counters.failed++;
        return 0;
    }

    command = get16(frame, OFF_COMMAND);
    length = get16(frame, OFF_LENGTH);
    type = get16(frame, OFF_TYPE);

    if (command != SIMCARD_CMD_CONNECT && get32(frame, OFF_CONTEXT) != card->context)
        card->counters.context_mismatches++;

    if (command < 32 && (card->faults.fail_command_mask >> command) & 1u) {
        card->counters.failed++;
        log_exchange(card, command, type, length, NO_STATUS);
        return 0;
    }

    if ((command == SIMCARD_CMD_GET || command == SIMCARD_CMD_PUT) && no_answer_for(card, type)) {
        if (command == SIMCARD_CMD_GET)
            card->counters.gets++;
        else
            card->counters.puts++;
        log_exchange(card, command, type, length, NO_STATUS);
        if (card->faults.no_answer_mode == SIMCARD_NO_ANSWER_SILENT) return 1;
        card->counters.failed++;
        return 0;
    }

    switch (command) {
    case SIMCARD_CMD_CONNECT: answered = answer_connect(card, frame, &status); break;
    case SIMCARD_CMD_DISCONNECT:
        card->counters.disconnects++;
        card->connected = 0;
        break;
    case SIMCARD_CMD_ACTION:
        card->counters.actions++;
        card->counters.last_action = type;
        break;
    case SIMCARD_CMD_GET: status = answer_get(card, frame, type, length); break;
    case SIMCARD_CMD_PUT: status = answer_put(card, frame, type, length); break;
    default:
        card->counters.unknown_commands++;
        status = SIMCARD_STATUS_BAD_COMMAND;
        break;
    }

    if (!answered) {
        log_exchange(card, command, type, length, NO_STATUS);
        return 1;
    }
    put16(frame, OFF_STATUS, status);
    log_exchange(card, command, type, length, status);
    if (returned) *returned = SIMCARD_FRAME_SIZE;
    return 1;
}
