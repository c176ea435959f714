/* The joystick bus driver: one function driver for the root device of the bus
 * (bus_device.c) and the physical devices of the joysticks it exposes (joystick_child.c).
 * Both kinds of device share the driver's dispatch table (bus_driver.c); the first field
 * of each extension says which kind a device is. */
#ifndef CORVANE_BUS_DRIVER_H
#define CORVANE_BUS_DRIVER_H

#include <ntddk.h>

#include "bus_records.h"
#include "joystick_report.h"

#define BUS_POOL_TAG 0x76724F43u /* 'COrv' */
#define BUS_MAX_CHILDREN 16u
#define BUS_SLOT_RESERVED ((DEVICE_OBJECT*)1) /* taken while its device is being made */

typedef enum { BUS_KIND_BUS = 1, BUS_KIND_CHILD = 2 } BusDeviceKind;

struct BusExtension;

typedef struct {
  BusDeviceKind kind;
  struct BusExtension* bus;
  DEVICE_OBJECT* self;
  ULONG slot;         /* also the device's instance id, so a new expose reuses it */
  FILE_OBJECT* owner; /* the client handle that exposed it */
  BOOLEAN present;    /* reported to Plug and Play; cleared by remove */
  BOOLEAN gone;       /* removed or surprise-removed: reads fail at once */
  USHORT vendorId, productId;
  WCHAR hardwareIds[BUS_EXPOSE_IDS_CHARS]; /* the expose record's list, 0 0 at its end */
  /* Under the bus's lock: */
  UCHAR report[JOYSTICK_REPORT_SIZE];
  BOOLEAN reportUnread;    /* a state came (or the device is new) that no read has taken */
  LIST_ENTRY pendingReads; /* reads waiting for the next state */
} ChildExtension;

typedef struct BusExtension {
  BusDeviceKind kind;
  DEVICE_OBJECT* self;
  DEVICE_OBJECT* lower;    /* the root device below */
  DEVICE_OBJECT* physical; /* the root device, for relations */
  UNICODE_STRING interfaceName;
  BOOLEAN removing;                          /* the bus itself goes: its children are deleted with it */
  KSPIN_LOCK lock;                           /* children[], and each child's state, report and reads */
  DEVICE_OBJECT* children[BUS_MAX_CHILDREN]; /* NULL, BUS_SLOT_RESERVED or the child */
} BusExtension;

NTSTATUS BusComplete(IRP* irp, NTSTATUS status, ULONG_PTR information);

/* bus_device.c */
NTSTATUS BusAddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* root);
NTSTATUS BusPnp(BusExtension* bus, IRP* irp);
NTSTATUS BusControl(BusExtension* bus, IRP* irp);
void BusCloseClient(BusExtension* bus, FILE_OBJECT* client);

/* joystick_child.c */
NTSTATUS ChildCreate(BusExtension* bus, ULONG slot, FILE_OBJECT* owner, const WCHAR* hardwareIds,
                     DEVICE_OBJECT** device);
/* With the bus's lock held: the child takes the report (JOYSTICK_REPORT_SIZE bytes), and
 * the reads waiting for it move to `reads`; or the child leaves the bus (its reads fail
 * from now on) and the waiting reads move to `reads`. */
void ChildTakeReport(ChildExtension* child, const UCHAR* report, LIST_ENTRY* reads);
void ChildUnplug(ChildExtension* child, LIST_ENTRY* reads);
/* Without the lock: completes the reads taken, with the report, or failed when it is NULL. */
void ChildCompleteReads(LIST_ENTRY* reads, const UCHAR* report);
NTSTATUS ChildPnp(ChildExtension* child, IRP* irp);
NTSTATUS ChildHidRequest(ChildExtension* child, IRP* irp);

#endif
