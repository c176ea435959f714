/* The joystick bus driver's entry and dispatch: each request goes to the bus device or to
 * a joystick, by the kind of the device it was sent to. */
#include "bus_driver.h"

NTSTATUS BusComplete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static BusDeviceKind KindOf(DEVICE_OBJECT* device) { return *(BusDeviceKind*)device->DeviceExtension; }

static NTSTATUS DispatchCreate(DEVICE_OBJECT* device, IRP* irp) {
  /* Only the bus is opened by clients; a joystick is opened through the HID class. */
  return BusComplete(irp, KindOf(device) == BUS_KIND_BUS ? STATUS_SUCCESS : STATUS_INVALID_DEVICE_REQUEST, 0);
}

/* A client's handle closed, also when its process ended without a word: its joysticks go
 * with it. Cleanup comes first; close only in case a system sends no cleanup. */
static NTSTATUS DispatchCleanupClose(DEVICE_OBJECT* device, IRP* irp) {
  if (KindOf(device) == BUS_KIND_BUS) {
    BusCloseClient(device->DeviceExtension, IoGetCurrentIrpStackLocation(irp)->FileObject);
  }
  return BusComplete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS DispatchControl(DEVICE_OBJECT* device, IRP* irp) {
  if (KindOf(device) != BUS_KIND_BUS) return BusComplete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  return BusControl(device->DeviceExtension, irp);
}

static NTSTATUS DispatchInternalControl(DEVICE_OBJECT* device, IRP* irp) {
  if (KindOf(device) != BUS_KIND_CHILD) return BusComplete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  return ChildHidRequest(device->DeviceExtension, irp);
}

static NTSTATUS DispatchPnp(DEVICE_OBJECT* device, IRP* irp) {
  if (KindOf(device) == BUS_KIND_BUS) return BusPnp(device->DeviceExtension, irp);
  return ChildPnp(device->DeviceExtension, irp);
}

static NTSTATUS DispatchPower(DEVICE_OBJECT* device, IRP* irp) {
  PoStartNextPowerIrp(irp);
  if (KindOf(device) == BUS_KIND_BUS) {
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(((BusExtension*)device->DeviceExtension)->lower, irp);
  }
  /* A joystick has no power of its own to manage: every change is fine. */
  const UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
  const NTSTATUS status =
      minor == IRP_MN_SET_POWER || minor == IRP_MN_QUERY_POWER ? STATUS_SUCCESS : irp->IoStatus.Status;
  return BusComplete(irp, status, irp->IoStatus.Information);
}

static NTSTATUS DispatchSystemControl(DEVICE_OBJECT* device, IRP* irp) {
  if (KindOf(device) == BUS_KIND_BUS) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(((BusExtension*)device->DeviceExtension)->lower, irp);
  }
  return BusComplete(irp, irp->IoStatus.Status, irp->IoStatus.Information);
}

static void Unload(DRIVER_OBJECT* driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
  (void)registryPath;
  driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
  driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanupClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCleanupClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
  driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;
  driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
  driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
  driver->MajorFunction[IRP_MJ_SYSTEM_CONTROL] = DispatchSystemControl;
  driver->DriverExtension->AddDevice = BusAddDevice;
  driver->DriverUnload = Unload;
  return STATUS_SUCCESS;
}
