/*
 * simcard.sys control channel: the driver's own request for tests, beside
 * IOCTL_NDIS_QUERY_GLOBAL_STATS. A test opens "\\.\<DeviceName>" and sends
 * SIMCARD_IOCTL_CONTROL with a SimCardControlRequest; every operation answers
 * with a SimCardControlAnswer showing the card after the operation.
 *
 * Plain C, shared by the driver and the Win32 tests (same x86_64 layout on
 * both sides: fixed-width fields only).
 */
#ifndef SIMCARD_DRIVER_SIMCARD_IOCTL_H
#define SIMCARD_DRIVER_SIMCARD_IOCTL_H

#include "../simcard.h"

#ifdef __cplusplus
extern "C" {
#endif

/* CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define SIMCARD_IOCTL_CONTROL 0x00222000u

#define SIMCARD_CONTROL_VERSION 1u

/* Operations. */
#define SIMCARD_OP_READ 1u           /* state, plus the record record_id if stored */
#define SIMCARD_OP_WRITE_RECORD 2u   /* store record_id with length and data */
#define SIMCARD_OP_REMOVE_RECORD 3u  /* forget record_id */
#define SIMCARD_OP_SET_FAULTS 4u     /* replace the faults */
#define SIMCARD_OP_CLEAR_COUNTERS 5u /* counters and log back to zero */

struct SimCardControlRequest {
    uint32_t op;
    uint16_t record_id;
    uint16_t length; /* WRITE_RECORD: the record's length word */
    struct SimCardFaults faults;
    uint16_t data[SIMCARD_RECORD_DATA_WORDS]; /* WRITE_RECORD: data words, d0 first */
};

struct SimCardControlAnswer {
    uint32_t version;   /* SIMCARD_CONTROL_VERSION */
    uint32_t op_result; /* 1 when the operation did what it was asked */
    int32_t length;     /* length word of record_id, -1 when the card has none */
    uint16_t record_id;
    uint16_t reserved;
    uint32_t context; /* context of the last successful connect */
    uint32_t connected;
    uint8_t mac[8]; /* six bytes used */
    struct SimCardFaults faults;
    struct SimCardCounters counters;
    struct SimCardLogEntry log[SIMCARD_LOG_SIZE];
    uint16_t data[SIMCARD_RECORD_DATA_WORDS]; /* data words of record_id, d0 first */
};

#ifdef __cplusplus
}
#endif

#endif
