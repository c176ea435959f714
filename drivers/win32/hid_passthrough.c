/* The joystick's HID minidriver. The HID class driver takes over the dispatch table of the
 * driver that registers with it, so the bus cannot be its own minidriver; this one only
 * hands every request on to the device below, the bus's joystick (joystick_child.c),
 * which answers them. */
#include <ntddk.h>

#include "hid_minidriver.h"

static DEVICE_OBJECT* Below(DEVICE_OBJECT* device) {
  return ((HID_DEVICE_EXTENSION*)device->DeviceExtension)->NextDeviceObject;
}

static NTSTATUS PassDown(DEVICE_OBJECT* device, IRP* irp) {
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(Below(device), irp);
}

static NTSTATUS PassDownPower(DEVICE_OBJECT* device, IRP* irp) {
  PoStartNextPowerIrp(irp);
  IoSkipCurrentIrpStackLocation(irp);
  return PoCallDriver(Below(device), irp);
}

static NTSTATUS AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* device) {
  (void)driver;
  device->Flags |= DO_POWER_PAGABLE;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

static void Unload(DRIVER_OBJECT* driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
  driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = PassDown;
  driver->MajorFunction[IRP_MJ_PNP] = PassDown;
  driver->MajorFunction[IRP_MJ_SYSTEM_CONTROL] = PassDown;
  driver->MajorFunction[IRP_MJ_POWER] = PassDownPower;
  driver->DriverExtension->AddDevice = AddDevice;
  driver->DriverUnload = Unload;

  HID_MINIDRIVER_REGISTRATION registration;
  RtlZeroMemory(&registration, sizeof registration);
  registration.Revision = HID_REVISION;
  registration.DriverObject = driver;
  registration.RegistryPath = registryPath;
  registration.DeviceExtensionSize = 0;
  registration.DevicesArePolled = FALSE; /* reads wait for the next state */
  return HidRegisterMinidriver(&registration);
}
