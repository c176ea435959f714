/* The bus device: a function driver on the root device of the bus. It registers the
 * game-port bus interface that the program looks for, answers the program's four
 * requests, and tells Plug and Play which joysticks are on the bus. */
#include "bus_driver.h"

/* The game-port bus enumerator interface class {CAE56030-684A-11D0-D6F6-00A0C90F57DA}. */
static const GUID kGamePortBusClass = {
    0xCAE56030, 0x684A, 0x11D0, {0xD6, 0xF6, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

static ULONG GetU32(const UCHAR* at) {
  return (ULONG)at[0] | ((ULONG)at[1] << 8) | ((ULONG)at[2] << 16) | ((ULONG)at[3] << 24);
}

static void PutU32(UCHAR* at, ULONG value) {
  for (int i = 0; i < 4; ++i) at[i] = (UCHAR)(value >> (8 * i));
}

static ChildExtension* ChildAt(BusExtension* bus, ULONG slot) {
  DEVICE_OBJECT* device = bus->children[slot];
  return device != NULL && device != BUS_SLOT_RESERVED ? device->DeviceExtension : NULL;
}

/* Takes the client's joysticks (all of them, or the one of `onlyHandle`) off the bus and
 * tells Plug and Play; true if there was one. */
static BOOLEAN UnplugClient(BusExtension* bus, FILE_OBJECT* client, ULONG onlyHandle) {
  BOOLEAN any = FALSE;
  LIST_ENTRY reads;
  InitializeListHead(&reads);
  KIRQL irql;
  KeAcquireSpinLock(&bus->lock, &irql);
  for (ULONG slot = 0; slot < BUS_MAX_CHILDREN; ++slot) {
    ChildExtension* child = ChildAt(bus, slot);
    if (child == NULL || !child->present || child->owner != client) continue;
    if (onlyHandle != 0 && onlyHandle != slot + 1) continue;
    ChildUnplug(child, &reads);
    any = TRUE;
  }
  KeReleaseSpinLock(&bus->lock, irql);
  ChildCompleteReads(&reads, NULL);
  if (any) IoInvalidateDeviceRelations(bus->physical, BusRelations);
  return any;
}

/* The expose record's hardware ids: one or more non-empty strings, then an empty one, all
 * inside the record. False for anything else. */
static BOOLEAN ReadHardwareIds(const UCHAR* bytes, WCHAR* ids) {
  ULONG length = 0; /* of the current string */
  for (ULONG i = 0; i < BUS_EXPOSE_IDS_CHARS; ++i) {
    ids[i] = (WCHAR)(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (ids[i] != 0) {
      ++length;
    } else if (length == 0) {
      if (i == 0) return FALSE; /* no id at all */
      for (++i; i < BUS_EXPOSE_IDS_CHARS; ++i) ids[i] = 0;
      return TRUE;
    } else {
      length = 0;
    }
  }
  return FALSE; /* the list has no end inside the record */
}

static NTSTATUS PortDescription(UCHAR* record) {
  if (GetU32(record) != BUS_PORT_DESCRIPTION_SIZE) return STATUS_INVALID_PARAMETER;
  PutU32(record + 4, BUS_PORT_HANDLE);
  return STATUS_SUCCESS;
}

static NTSTATUS Expose(BusExtension* bus, FILE_OBJECT* client, UCHAR* record) {
  WCHAR ids[BUS_EXPOSE_IDS_CHARS];
  if (GetU32(record) != BUS_EXPOSE_FIXED_SIZE || GetU32(record + 4) != BUS_PORT_HANDLE ||
      !ReadHardwareIds(record + BUS_EXPOSE_IDS_OFFSET, ids)) {
    return STATUS_INVALID_PARAMETER;
  }
  /* A free slot is taken first; its device is made outside the lock. */
  NTSTATUS status = STATUS_INSUFFICIENT_RESOURCES; /* every slot taken */
  ULONG slot = 0;
  KIRQL irql;
  KeAcquireSpinLock(&bus->lock, &irql);
  if (bus->removing) {
    status = STATUS_DELETE_PENDING;
  } else {
    while (slot < BUS_MAX_CHILDREN && bus->children[slot] != NULL) ++slot;
    if (slot < BUS_MAX_CHILDREN) {
      bus->children[slot] = BUS_SLOT_RESERVED;
      status = STATUS_SUCCESS;
    }
  }
  KeReleaseSpinLock(&bus->lock, irql);
  if (!NT_SUCCESS(status)) return status;

  DEVICE_OBJECT* child = NULL;
  status = ChildCreate(bus, slot, client, ids, &child);
  KeAcquireSpinLock(&bus->lock, &irql);
  bus->children[slot] = NT_SUCCESS(status) ? child : NULL;
  KeReleaseSpinLock(&bus->lock, irql);
  if (!NT_SUCCESS(status)) return status;
  PutU32(record + BUS_EXPOSE_HARDWARE_OFFSET, slot + 1);
  IoInvalidateDeviceRelations(bus->physical, BusRelations);
  return STATUS_SUCCESS;
}

/* Only the client that exposed a joystick can remove it. */
static NTSTATUS Remove(BusExtension* bus, FILE_OBJECT* client, const UCHAR* record) {
  const ULONG handle = GetU32(record + 4);
  if (GetU32(record) != BUS_REMOVE_SIZE || handle == 0) return STATUS_INVALID_PARAMETER;
  return UnplugClient(bus, client, handle) ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

/* The state goes to every joystick of the client; with none, as for the probe that the
 * program sends before it exposes one, it goes nowhere and is accepted. */
static NTSTATUS SetState(BusExtension* bus, FILE_OBJECT* client, const UCHAR* record) {
  UCHAR report[JOYSTICK_REPORT_SIZE];
  JoystickReportFromState(record, report);
  LIST_ENTRY reads;
  InitializeListHead(&reads);
  KIRQL irql;
  KeAcquireSpinLock(&bus->lock, &irql);
  for (ULONG slot = 0; slot < BUS_MAX_CHILDREN; ++slot) {
    ChildExtension* child = ChildAt(bus, slot);
    if (child != NULL && child->present && child->owner == client) ChildTakeReport(child, report, &reads);
  }
  KeReleaseSpinLock(&bus->lock, irql);
  ChildCompleteReads(&reads, report);
  return STATUS_SUCCESS;
}

NTSTATUS BusControl(BusExtension* bus, IRP* irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  ULONG size = 0;
  switch (code) {
    case BUS_PORT_DESCRIPTION: size = BUS_PORT_DESCRIPTION_SIZE; break;
    case BUS_EXPOSE_HARDWARE: size = BUS_EXPOSE_SIZE; break;
    case BUS_REMOVE_HARDWARE: size = BUS_REMOVE_SIZE; break;
    case BUS_SET_STATE: size = BUS_STATE_SIZE; break;
    default: return BusComplete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  }
  /* Each record only with its exact size, both ways. */
  if (stack->Parameters.DeviceIoControl.InputBufferLength != size ||
      stack->Parameters.DeviceIoControl.OutputBufferLength != size) {
    return BusComplete(irp, STATUS_INVALID_PARAMETER, 0);
  }
  UCHAR* record = irp->AssociatedIrp.SystemBuffer;
  FILE_OBJECT* client = stack->FileObject;
  NTSTATUS status = STATUS_INVALID_DEVICE_REQUEST;
  switch (code) {
    case BUS_PORT_DESCRIPTION: status = PortDescription(record); break;
    case BUS_EXPOSE_HARDWARE: status = Expose(bus, client, record); break;
    case BUS_REMOVE_HARDWARE: status = Remove(bus, client, record); break;
    case BUS_SET_STATE: status = SetState(bus, client, record); break;
  }
  return BusComplete(irp, status, NT_SUCCESS(status) ? size : 0);
}

void BusCloseClient(BusExtension* bus, FILE_OBJECT* client) { UnplugClient(bus, client, 0); }

/* The joysticks on the bus, added to what the devices above may have listed. */
static NTSTATUS BusRelationsOf(BusExtension* bus, IRP* irp) {
  DEVICE_RELATIONS* previous = (DEVICE_RELATIONS*)irp->IoStatus.Information;
  const ULONG previousCount = previous ? previous->Count : 0;
  const SIZE_T size = sizeof(DEVICE_RELATIONS) + sizeof(DEVICE_OBJECT*) * (previousCount + BUS_MAX_CHILDREN);
  DEVICE_RELATIONS* relations = ExAllocatePoolWithTag(PagedPool, size, BUS_POOL_TAG);
  if (relations == NULL) return STATUS_INSUFFICIENT_RESOURCES;
  ULONG n = 0;
  for (; n < previousCount; ++n) relations->Objects[n] = previous->Objects[n];
  KIRQL irql;
  KeAcquireSpinLock(&bus->lock, &irql);
  for (ULONG slot = 0; slot < BUS_MAX_CHILDREN; ++slot) {
    ChildExtension* child = ChildAt(bus, slot);
    if (child == NULL || !child->present) continue;
    ObReferenceObject(child->self);
    relations->Objects[n++] = child->self;
  }
  KeReleaseSpinLock(&bus->lock, irql);
  relations->Count = n;
  if (previous) ExFreePool(previous);
  irp->IoStatus.Information = (ULONG_PTR)relations;
  return STATUS_SUCCESS;
}

/* The bus goes: whatever joystick is still there goes with it. */
static void DeleteChildren(BusExtension* bus) {
  DEVICE_OBJECT* doomed[BUS_MAX_CHILDREN];
  ULONG count = 0;
  LIST_ENTRY reads;
  InitializeListHead(&reads);
  KIRQL irql;
  KeAcquireSpinLock(&bus->lock, &irql);
  for (ULONG slot = 0; slot < BUS_MAX_CHILDREN; ++slot) {
    ChildExtension* child = ChildAt(bus, slot);
    if (child == NULL) continue;
    ChildUnplug(child, &reads);
    doomed[count++] = child->self;
    bus->children[slot] = NULL;
  }
  KeReleaseSpinLock(&bus->lock, irql);
  ChildCompleteReads(&reads, NULL);
  for (ULONG i = 0; i < count; ++i) IoDeleteDevice(doomed[i]);
}

static NTSTATUS SignalDone(DEVICE_OBJECT* device, IRP* irp, void* event) {
  (void)device;
  (void)irp;
  KeSetEvent(event, IO_NO_INCREMENT, FALSE);
  return STATUS_MORE_PROCESSING_REQUIRED; /* the request is ours again */
}

/* Sends the request down and waits until the devices below have answered it. */
static NTSTATUS ForwardAndWait(BusExtension* bus, IRP* irp) {
  KEVENT done;
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  IoCopyCurrentIrpStackLocationToNext(irp);
  IoSetCompletionRoutine(irp, SignalDone, &done, TRUE, TRUE, TRUE);
  if (IoCallDriver(bus->lower, irp) == STATUS_PENDING) {
    KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
  }
  return irp->IoStatus.Status;
}

static NTSTATUS PassDown(BusExtension* bus, IRP* irp) {
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(bus->lower, irp);
}

NTSTATUS BusPnp(BusExtension* bus, IRP* irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE: {
      /* The root device starts first; then the interface can be opened. */
      NTSTATUS status = ForwardAndWait(bus, irp);
      if (NT_SUCCESS(status)) status = IoSetDeviceInterfaceState(&bus->interfaceName, TRUE);
      return BusComplete(irp, status, irp->IoStatus.Information);
    }
    case IRP_MN_QUERY_DEVICE_RELATIONS:
      if (stack->Parameters.QueryDeviceRelations.Type != BusRelations) break;
      {
        const NTSTATUS status = BusRelationsOf(bus, irp);
        if (!NT_SUCCESS(status)) return BusComplete(irp, status, irp->IoStatus.Information);
        irp->IoStatus.Status = STATUS_SUCCESS;
      }
      break;
    case IRP_MN_QUERY_REMOVE_DEVICE:
      bus->removing = TRUE;
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_CANCEL_REMOVE_DEVICE:
      bus->removing = FALSE;
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_SURPRISE_REMOVAL:
      bus->removing = TRUE;
      IoSetDeviceInterfaceState(&bus->interfaceName, FALSE);
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_REMOVE_DEVICE: {
      bus->removing = TRUE;
      IoSetDeviceInterfaceState(&bus->interfaceName, FALSE);
      DeleteChildren(bus);
      irp->IoStatus.Status = STATUS_SUCCESS;
      DEVICE_OBJECT* lower = bus->lower;
      DEVICE_OBJECT* self = bus->self;
      RtlFreeUnicodeString(&bus->interfaceName);
      IoSkipCurrentIrpStackLocation(irp);
      const NTSTATUS status = IoCallDriver(lower, irp);
      IoDetachDevice(lower);
      IoDeleteDevice(self);
      return status;
    }
    default:
      break;
  }
  return PassDown(bus, irp);
}

NTSTATUS BusAddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* root) {
  DEVICE_OBJECT* device = NULL;
  NTSTATUS status =
      IoCreateDevice(driver, sizeof(BusExtension), NULL, FILE_DEVICE_BUS_EXTENDER, FILE_DEVICE_SECURE_OPEN, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  BusExtension* bus = device->DeviceExtension;
  RtlZeroMemory(bus, sizeof *bus);
  bus->kind = BUS_KIND_BUS;
  bus->self = device;
  bus->physical = root;
  KeInitializeSpinLock(&bus->lock);
  status = IoRegisterDeviceInterface(root, &kGamePortBusClass, NULL, &bus->interfaceName);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  bus->lower = IoAttachDeviceToDeviceStack(device, root);
  if (bus->lower == NULL) {
    RtlFreeUnicodeString(&bus->interfaceName);
    IoDeleteDevice(device);
    return STATUS_NO_SUCH_DEVICE;
  }
  device->Flags |= DO_BUFFERED_IO | DO_POWER_PAGABLE;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}
