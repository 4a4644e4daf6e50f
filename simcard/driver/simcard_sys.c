/*
 * simcard.sys: the card model served as an NT kernel driver, for the Win32
 * tests under Wine. Everything it does is set by its own service key:
 *
 *   DeviceName      REG_SZ        device \Device\<name>, DOS name \DosDevices\<name>
 *                                 (default "SIMCARD")
 *   ExtraDosNames   REG_MULTI_SZ  more DOS names, each pointing at \Device\<name>
 *                                 where no device is: CreateFile on them fails with 3
 *   BusyConnects    REG_DWORD     the first N connects answer busy (68)
 *   ZeroContext     REG_DWORD     1: connect answers with context 0
 *   SilentConnect   REG_DWORD     1: connect succeeds but writes nothing
 *   Variant, Major, Minor         identity record 0x0826 (default 1, 6, 41)
 *   RangeVariant, RangeBottom, RangeTop   range record 0x0827 (default 48, 1, 99)
 *   NoAnswerRecord  REG_DWORD     this record id gets no answer ...
 *   NoAnswerMode    REG_DWORD     ... 0: the request fails, 1: nothing is written
 *   FailCommands    REG_DWORD     bit c set: every request of command c fails
 *   Context         REG_DWORD     first context handed out by connect (non-zero)
 *   MacAddress      REG_BINARY    six bytes
 *
 * IOCTL_NDIS_QUERY_GLOBAL_STATS (METHOD_OUT_DIRECT) carries the request frame
 * in the output buffer's MDL; SIMCARD_IOCTL_CONTROL (simcard_ioctl.h) lets a
 * test look at and change the card.
 *
 * All state lives in the device extension, so two services may load this
 * image under different names.
 */
#include <ntddk.h>

#include "../simcard.h"
#include "simcard_ioctl.h"

#define NAME_CHARS 96
#define MAX_EXTRA_NAMES 9
#define VALUE_BYTES 1024

struct NameBuffer {
    UNICODE_STRING text;
    WCHAR chars[NAME_CHARS + 16];
};

struct CardDevice {
    KMUTEX lock;
    struct NameBuffer link;
    struct NameBuffer extra_links[MAX_EXTRA_NAMES];
    ULONG extra_count;
    struct SimCard card;
};

/* The kernel calls these with the system's calling convention: NTAPI, which
   is stdcall on i386 (a cdecl routine there would leave the caller's stack
   unbalanced; x86_64 has one convention and would never show it). */
DRIVER_INITIALIZE DriverEntry;

static void zero(void* p, SIZE_T n) {
    volatile UCHAR* b = (volatile UCHAR*)p;
    SIZE_T i;
    for (i = 0; i < n; i++) b[i] = 0;
}

static void copy(void* dst, const void* src, SIZE_T n) {
    volatile UCHAR* d = (volatile UCHAR*)dst;
    const UCHAR* s = (const UCHAR*)src;
    SIZE_T i;
    for (i = 0; i < n; i++) d[i] = s[i];
}

/* prefix + name (name_chars characters, stops early at a zero). */
static void build_name(struct NameBuffer* out, const WCHAR* prefix, const WCHAR* name,
                       ULONG name_chars) {
    ULONG n = 0, i;
    for (i = 0; prefix[i] && n < NAME_CHARS + 15; i++) out->chars[n++] = prefix[i];
    for (i = 0; i < name_chars && name[i] && n < NAME_CHARS + 15; i++) out->chars[n++] = name[i];
    out->chars[n] = 0;
    out->text.Buffer = out->chars;
    out->text.Length = (USHORT)(n * sizeof(WCHAR));
    out->text.MaximumLength = (USHORT)sizeof out->chars;
}

/* ---- the service key ---- */

static HANDLE open_service_key(PUNICODE_STRING registry_path) {
    OBJECT_ATTRIBUTES attributes;
    HANDLE key = NULL;
    InitializeObjectAttributes(&attributes, registry_path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes))) return NULL;
    return key;
}

/* A value's type and bytes; FALSE when absent or too large for `bytes`. */
static BOOLEAN read_value(HANDLE key, const WCHAR* name, ULONG* type, UCHAR* bytes, ULONG* size) {
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + VALUE_BYTES];
    PKEY_VALUE_PARTIAL_INFORMATION info = (PKEY_VALUE_PARTIAL_INFORMATION)buffer;
    UNICODE_STRING value_name;
    ULONG got = 0;

    if (!key) return FALSE;
    RtlInitUnicodeString(&value_name, name);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &value_name, KeyValuePartialInformation, buffer,
                                    sizeof buffer, &got)))
        return FALSE;
    if (info->DataLength > VALUE_BYTES) return FALSE;
    *type = info->Type;
    *size = info->DataLength;
    copy(bytes, info->Data, info->DataLength);
    return TRUE;
}

static BOOLEAN read_dword(HANDLE key, const WCHAR* name, ULONG* value) {
    UCHAR bytes[VALUE_BYTES];
    ULONG type = 0, size = 0;
    if (!read_value(key, name, &type, bytes, &size) || type != REG_DWORD || size < 4) return FALSE;
    *value = (ULONG)bytes[0] | ((ULONG)bytes[1] << 8) | ((ULONG)bytes[2] << 16) |
             ((ULONG)bytes[3] << 24);
    return TRUE;
}

/* A REG_SZ as characters (no terminator needed in the value); count in *chars. */
static BOOLEAN read_text(HANDLE key, const WCHAR* name, WCHAR* text, ULONG max_chars,
                         ULONG* chars) {
    UCHAR bytes[VALUE_BYTES];
    ULONG type = 0, size = 0, i, n;
    if (!read_value(key, name, &type, bytes, &size) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    n = size / sizeof(WCHAR);
    for (i = 0; i < n && i < max_chars; i++) {
        text[i] = (WCHAR)(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (!text[i]) break;
    }
    *chars = i;
    return i > 0;
}

static void read_card_config(HANDLE key, struct SimCard* card) {
    ULONG v, a, b, c;
    UCHAR bytes[VALUE_BYTES];
    ULONG type = 0, size = 0;

    if (read_dword(key, L"BusyConnects", &v)) card->faults.busy_connects = v;
    if (read_dword(key, L"ZeroContext", &v)) card->faults.zero_context = v;
    if (read_dword(key, L"SilentConnect", &v)) card->faults.silent_connect = v;
    if (read_dword(key, L"FailCommands", &v)) card->faults.fail_command_mask = v;
    if (read_dword(key, L"NoAnswerRecord", &v)) {
        card->faults.no_answer_active = 1;
        card->faults.no_answer_record = v & 0xFFFF;
    }
    if (read_dword(key, L"NoAnswerMode", &v)) card->faults.no_answer_mode = v;
    if (read_dword(key, L"Context", &v) && v != 0) card->next_context = v;

    a = 1, b = 6, c = 41;
    if (read_dword(key, L"Variant", &v)) a = v;
    if (read_dword(key, L"Major", &v)) b = v;
    if (read_dword(key, L"Minor", &v)) c = v;
    simcard_set_identity(card, (uint16_t)a, (uint16_t)b, (uint16_t)c);

    a = 48, b = 1, c = 99;
    if (read_dword(key, L"RangeVariant", &v)) a = v;
    if (read_dword(key, L"RangeBottom", &v)) b = v;
    if (read_dword(key, L"RangeTop", &v)) c = v;
    simcard_set_range(card, (uint16_t)a, (uint16_t)b, (uint16_t)c);

    if (read_value(key, L"MacAddress", &type, bytes, &size) && type == REG_BINARY && size == 6)
        simcard_set_mac(card, bytes);
}

/* Each name of a REG_MULTI_SZ becomes a DOS name with no device behind it. */
static void create_extra_links(HANDLE key, struct CardDevice* dev) {
    UCHAR bytes[VALUE_BYTES];
    WCHAR name[NAME_CHARS + 1];
    ULONG type = 0, size = 0, chars, pos = 0, n;
    struct NameBuffer target;

    if (!read_value(key, L"ExtraDosNames", &type, bytes, &size) || type != REG_MULTI_SZ) return;
    chars = size / sizeof(WCHAR);
    while (pos < chars && dev->extra_count < MAX_EXTRA_NAMES) {
        n = 0;
        while (pos < chars) {
            WCHAR ch = (WCHAR)(bytes[2 * pos] | (bytes[2 * pos + 1] << 8));
            pos++;
            if (!ch) break;
            if (n < NAME_CHARS) name[n++] = ch;
        }
        if (n == 0) break;
        name[n] = 0;
        build_name(&dev->extra_links[dev->extra_count], L"\\DosDevices\\", name, n);
        build_name(&target, L"\\Device\\", name, n);
        if (NT_SUCCESS(
                IoCreateSymbolicLink(&dev->extra_links[dev->extra_count].text, &target.text)))
            dev->extra_count++;
    }
}

/* ---- requests ---- */

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create_close(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return complete(irp, STATUS_SUCCESS, 0);
}

static void lock(struct CardDevice* dev) {
    KeWaitForSingleObject(&dev->lock, Executive, KernelMode, FALSE, NULL);
}

static void unlock(struct CardDevice* dev) { KeReleaseMutex(&dev->lock, FALSE); }

static NTSTATUS query_global_stats(struct CardDevice* dev, PIRP irp, PIO_STACK_LOCATION sp) {
    ULONG in_size = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_size = sp->Parameters.DeviceIoControl.OutputBufferLength;
    void* frame = NULL;
    unsigned returned = 0;
    int ok;

    if (irp->MdlAddress && MmGetMdlByteCount(irp->MdlAddress) >= out_size) {
        frame = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
        /* Wine runs drivers in one user process: the buffer's own address serves. */
        if (!frame) frame = MmGetMdlVirtualAddress(irp->MdlAddress);
    }
    lock(dev);
    ok = simcard_exchange(&dev->card, irp->AssociatedIrp.SystemBuffer, in_size, frame, out_size,
                          &returned);
    unlock(dev);
    if (!ok) return complete(irp, STATUS_UNSUCCESSFUL, 0);
    return complete(irp, STATUS_SUCCESS, returned);
}

static void fill_answer(struct CardDevice* dev, uint16_t id, uint32_t op_result,
                        struct SimCardControlAnswer* answer) {
    unsigned i;
    zero(answer, sizeof *answer);
    answer->version = SIMCARD_CONTROL_VERSION;
    answer->op_result = op_result;
    answer->record_id = id;
    answer->length = simcard_get_stored(&dev->card, id, answer->data, SIMCARD_RECORD_DATA_WORDS);
    answer->context = dev->card.context;
    answer->connected = dev->card.connected;
    for (i = 0; i < 6; i++) answer->mac[i] = dev->card.mac[i];
    copy(&answer->faults, &dev->card.faults, sizeof answer->faults);
    copy(&answer->counters, &dev->card.counters, sizeof answer->counters);
    copy(answer->log, dev->card.log, sizeof answer->log);
}

static NTSTATUS control(struct CardDevice* dev, PIRP irp, PIO_STACK_LOCATION sp) {
    ULONG in_size = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_size = sp->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    struct SimCardControlRequest request;
    uint32_t result = 0;

    if (!buffer || in_size < sizeof request || out_size < sizeof(struct SimCardControlAnswer))
        return complete(irp, STATUS_INVALID_PARAMETER, 0);
    /* The answer goes into the same buffer: take the request out first. */
    copy(&request, buffer, sizeof request);

    lock(dev);
    switch (request.op) {
    case SIMCARD_OP_READ: result = 1; break;
    case SIMCARD_OP_WRITE_RECORD:
        result = (uint32_t)simcard_set_record(&dev->card, request.record_id, request.length,
                                              request.data);
        break;
    case SIMCARD_OP_REMOVE_RECORD:
        result = (uint32_t)simcard_remove_record(&dev->card, request.record_id);
        break;
    case SIMCARD_OP_SET_FAULTS:
        copy(&dev->card.faults, &request.faults, sizeof request.faults);
        result = 1;
        break;
    case SIMCARD_OP_CLEAR_COUNTERS:
        simcard_clear_counters(&dev->card);
        result = 1;
        break;
    default: unlock(dev); return complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    fill_answer(dev, request.record_id, result, (struct SimCardControlAnswer*)buffer);
    unlock(dev);
    return complete(irp, STATUS_SUCCESS, sizeof(struct SimCardControlAnswer));
}

static NTSTATUS NTAPI dispatch_device_control(PDEVICE_OBJECT device, PIRP irp) {
    struct CardDevice* dev = (struct CardDevice*)device->DeviceExtension;
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);

    switch (sp->Parameters.DeviceIoControl.IoControlCode) {
    case SIMCARD_IOCTL_QUERY_GLOBAL_STATS: return query_global_stats(dev, irp, sp);
    case SIMCARD_IOCTL_CONTROL: return control(dev, irp, sp);
    default: return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

/* ---- load and unload ---- */

static void remove_links(struct CardDevice* dev) {
    ULONG i;
    for (i = 0; i < dev->extra_count; i++) IoDeleteSymbolicLink(&dev->extra_links[i].text);
    dev->extra_count = 0;
    if (dev->link.text.Length) {
        IoDeleteSymbolicLink(&dev->link.text);
        dev->link.text.Length = 0;
    }
}

static VOID NTAPI driver_unload(PDRIVER_OBJECT driver) {
    PDEVICE_OBJECT device = driver->DeviceObject;
    while (device) {
        PDEVICE_OBJECT next = device->NextDevice;
        remove_links((struct CardDevice*)device->DeviceExtension);
        IoDeleteDevice(device);
        device = next;
    }
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path) {
    WCHAR name[NAME_CHARS + 1];
    ULONG name_chars = 0;
    struct NameBuffer device_name;
    PDEVICE_OBJECT device = NULL;
    struct CardDevice* dev;
    HANDLE key;
    NTSTATUS status;

    key = open_service_key(registry_path);
    if (!read_text(key, L"DeviceName", name, NAME_CHARS, &name_chars)) {
        const WCHAR* fallback = L"SIMCARD";
        for (name_chars = 0; fallback[name_chars]; name_chars++)
            name[name_chars] = fallback[name_chars];
    }
    name[name_chars] = 0;

    build_name(&device_name, L"\\Device\\", name, name_chars);
    status = IoCreateDevice(driver, sizeof(struct CardDevice), &device_name.text,
                            FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        if (key) ZwClose(key);
        return status;
    }
    dev = (struct CardDevice*)device->DeviceExtension;
    zero(dev, sizeof *dev);
    KeInitializeMutex(&dev->lock, 0);
    simcard_init(&dev->card);
    read_card_config(key, &dev->card);

    build_name(&dev->link, L"\\DosDevices\\", name, name_chars);
    status = IoCreateSymbolicLink(&dev->link.text, &device_name.text);
    if (!NT_SUCCESS(status)) {
        dev->link.text.Length = 0;
        IoDeleteDevice(device);
        if (key) ZwClose(key);
        return status;
    }
    create_extra_links(key, dev);
    if (key) ZwClose(key);

    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_device_control;
    driver->DriverUnload = driver_unload;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
