/* A stand-in for the virtual joystick bus driver, for the tests: a function driver for a
 * root device that registers an interface of the game-port bus class, answers the four
 * joystick bus requests and keeps a log of everything it was sent (test_bus_log.h). */
#include <ntddk.h>

#include "test_bus_log.h"

/* The game-port bus enumerator interface class {CAE56030-684A-11D0-D6F6-00A0C90F57DA}. */
static const GUID kGamePortBusClass = {
    0xCAE56030, 0x684A, 0x11D0, {0xD6, 0xF6, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

#define EXPOSE_HARDWARE 0x2A0000u
#define REMOVE_HARDWARE 0x2A0004u
#define PORT_DESCRIPTION 0x2A0008u
#define SET_STATE 0x2A2004u

typedef struct {
  DEVICE_OBJECT* lower; /* the root device below us */
  UNICODE_STRING interfaceName;
  BOOLEAN refuseState;
  ULONG logUsed;
  BOOLEAN logOverflowed;
  UCHAR log[TEST_BUS_LOG_CAPACITY];
} BusExtension;

static void PutU32(UCHAR* at, ULONG value) {
  for (int i = 0; i < 4; ++i) at[i] = (UCHAR)(value >> (8 * i));
}

static ULONG GetU32(const UCHAR* at) {
  return (ULONG)at[0] | ((ULONG)at[1] << 8) | ((ULONG)at[2] << 16) | ((ULONG)at[3] << 24);
}

static void Log(BusExtension* bus, ULONG code, const UCHAR* bytes, ULONG length) {
  if (bus->logOverflowed) return;
  const ULONG room = TEST_BUS_LOG_CAPACITY - bus->logUsed;
  if (room < 8 || length > room - 8) {
    bus->logOverflowed = TRUE;
    return;
  }
  PutU32(&bus->log[bus->logUsed], code);
  PutU32(&bus->log[bus->logUsed + 4], length);
  RtlCopyMemory(&bus->log[bus->logUsed + 8], bytes, length);
  bus->logUsed += 8 + length;
}

static NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

/* Hands the log back in the output buffer and starts a new one. */
static NTSTATUS TakeLog(BusExtension* bus, IRP* irp, ULONG outLength) {
  UCHAR* out = irp->AssociatedIrp.SystemBuffer;
  if (bus->logOverflowed) {
    if (outLength < 8) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    PutU32(out, TEST_BUS_LOG_OVERFLOW);
    PutU32(out + 4, 0);
    bus->logUsed = 0;
    bus->logOverflowed = FALSE;
    return Complete(irp, STATUS_SUCCESS, 8);
  }
  if (outLength < bus->logUsed) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  const ULONG used = bus->logUsed;
  RtlCopyMemory(out, bus->log, used);
  bus->logUsed = 0;
  return Complete(irp, STATUS_SUCCESS, used);
}

/* The four joystick bus requests, answered as the joystick driver does: each only with
 * its record's exact length, both ways. */
static NTSTATUS Answer(BusExtension* bus, ULONG code, UCHAR* buffer, ULONG inLength,
                       ULONG outLength, ULONG_PTR* returned) {
  ULONG size = 0;
  switch (code) {
    case PORT_DESCRIPTION: size = 40; break;
    case EXPOSE_HARDWARE: size = 122; break;
    case REMOVE_HARDWARE: size = 8; break;
    case SET_STATE: size = 36; break;
    default: return STATUS_INVALID_DEVICE_REQUEST;
  }
  if (inLength != size || outLength != size) return STATUS_INVALID_PARAMETER;
  switch (code) {
    case PORT_DESCRIPTION:
      if (GetU32(buffer) != 40) return STATUS_INVALID_PARAMETER;
      PutU32(buffer + 4, TEST_BUS_PORT_HANDLE);
      break;
    case EXPOSE_HARDWARE:
      if (GetU32(buffer) != 64 || GetU32(buffer + 4) != TEST_BUS_PORT_HANDLE) {
        return STATUS_INVALID_PARAMETER;
      }
      PutU32(buffer + 8, TEST_BUS_HARDWARE_HANDLE);
      break;
    case REMOVE_HARDWARE:
      if (GetU32(buffer) != 8 || GetU32(buffer + 4) != TEST_BUS_HARDWARE_HANDLE) {
        return STATUS_INVALID_PARAMETER;
      }
      break;
    case SET_STATE:
      if (bus->refuseState) return STATUS_INVALID_DEVICE_REQUEST;
      break;
  }
  *returned = size;
  return STATUS_SUCCESS;
}

static NTSTATUS DispatchControl(DEVICE_OBJECT* device, IRP* irp) {
  BusExtension* bus = device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;

  if (code == TEST_BUS_TAKE_LOG) return TakeLog(bus, irp, outLength);
  if (code == TEST_BUS_REFUSE_STATE) {
    if (inLength != 4) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    bus->refuseState = GetU32(buffer) != 0;
    return Complete(irp, STATUS_SUCCESS, 0);
  }
  Log(bus, code, buffer, inLength);
  ULONG_PTR returned = 0;
  const NTSTATUS status = Answer(bus, code, buffer, inLength, outLength, &returned);
  return Complete(irp, status, returned);
}

static NTSTATUS DispatchCreateClose(DEVICE_OBJECT* device, IRP* irp) {
  (void)device;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS DispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
  BusExtension* bus = device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  DEVICE_OBJECT* lower = bus->lower;

  switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
      /* The root device below has nothing to start; the interface can be opened now. */
      IoSetDeviceInterfaceState(&bus->interfaceName, TRUE);
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_STOP_DEVICE:
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_REMOVE_DEVICE: {
      IoSetDeviceInterfaceState(&bus->interfaceName, FALSE);
      RtlFreeUnicodeString(&bus->interfaceName);
      irp->IoStatus.Status = STATUS_SUCCESS;
      IoSkipCurrentIrpStackLocation(irp);
      const NTSTATUS status = IoCallDriver(lower, irp);
      IoDetachDevice(lower);
      IoDeleteDevice(device);
      return status;
    }
    default:
      break;
  }
  /* Everything else, and the answers above, go on down to the root device. */
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(lower, irp);
}

static NTSTATUS AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* root) {
  DEVICE_OBJECT* device = NULL;
  NTSTATUS status = IoCreateDevice(driver, sizeof(BusExtension), NULL, FILE_DEVICE_BUS_EXTENDER,
                                   0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  BusExtension* bus = device->DeviceExtension;
  RtlZeroMemory(bus, sizeof *bus);
  bus->lower = IoAttachDeviceToDeviceStack(device, root);
  if (!bus->lower) {
    IoDeleteDevice(device);
    return STATUS_NO_SUCH_DEVICE;
  }
  status = IoRegisterDeviceInterface(root, &kGamePortBusClass, NULL, &bus->interfaceName);
  if (!NT_SUCCESS(status)) {
    IoDetachDevice(bus->lower);
    IoDeleteDevice(device);
    return status;
  }
  device->Flags |= DO_BUFFERED_IO;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

static void Unload(DRIVER_OBJECT* driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
  (void)registryPath;
  driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
  driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
  driver->DriverExtension->AddDevice = AddDevice;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
