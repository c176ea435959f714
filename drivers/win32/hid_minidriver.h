/* What a HID minidriver and the system's HID class driver agree on, as the driver kit
 * documents it. The MinGW-w64 headers lack hidport.h, and their hidclass.h gives other
 * values for the minidriver requests, so the few declarations used here are our own. */
#ifndef CORVANE_HID_MINIDRIVER_H
#define CORVANE_HID_MINIDRIVER_H

#include <ntddk.h>

/* The minidriver requests: internal device controls of type FILE_DEVICE_KEYBOARD, with
 * neither buffered nor direct transfer (the class driver's own buffers, in UserBuffer). */
#define HID_MINIDRIVER_CTL_CODE(id) CTL_CODE(FILE_DEVICE_KEYBOARD, (id), METHOD_NEITHER, FILE_ANY_ACCESS)
#define IOCTL_HID_GET_DEVICE_DESCRIPTOR HID_MINIDRIVER_CTL_CODE(0) /* 0xB0003 */
#define IOCTL_HID_GET_REPORT_DESCRIPTOR HID_MINIDRIVER_CTL_CODE(1) /* 0xB0007 */
#define IOCTL_HID_READ_REPORT HID_MINIDRIVER_CTL_CODE(2)           /* 0xB000B */
#define IOCTL_HID_WRITE_REPORT HID_MINIDRIVER_CTL_CODE(3)          /* 0xB000F */
#define IOCTL_HID_GET_STRING HID_MINIDRIVER_CTL_CODE(4)            /* 0xB0013 */
#define IOCTL_HID_ACTIVATE_DEVICE HID_MINIDRIVER_CTL_CODE(7)       /* 0xB001F */
#define IOCTL_HID_DEACTIVATE_DEVICE HID_MINIDRIVER_CTL_CODE(8)     /* 0xB0023 */
#define IOCTL_HID_GET_DEVICE_ATTRIBUTES HID_MINIDRIVER_CTL_CODE(9) /* 0xB0027 */

/* The current input report, at once: a HID_XFER_PACKET in UserBuffer. */
#define IOCTL_HID_GET_INPUT_REPORT \
  CTL_CODE(FILE_DEVICE_KEYBOARD, 104, METHOD_OUT_DIRECT, FILE_ANY_ACCESS) /* 0xB01A2 */

/* The string ids of IOCTL_HID_GET_STRING, in the low 16 bits of Type3InputBuffer. */
#define HID_STRING_ID_IMANUFACTURER 14
#define HID_STRING_ID_IPRODUCT 15
#define HID_STRING_ID_ISERIALNUMBER 16

#define HID_REVISION 0x00000001u
#define HID_HID_DESCRIPTOR_TYPE 0x21
#define HID_REPORT_DESCRIPTOR_TYPE 0x22

typedef struct {
  ULONG Revision;
  DRIVER_OBJECT* DriverObject;
  UNICODE_STRING* RegistryPath;
  ULONG DeviceExtensionSize;
  BOOLEAN DevicesArePolled;
  UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION;

/* The device extension the class driver gives the minidriver's device object. */
typedef struct {
  DEVICE_OBJECT* PhysicalDeviceObject;
  DEVICE_OBJECT* NextDeviceObject;
  void* MiniDeviceExtension;
} HID_DEVICE_EXTENSION;

typedef struct {
  ULONG Size;
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
  USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES;

#pragma pack(push, 1)
typedef struct {
  UCHAR bLength;
  UCHAR bDescriptorType;
  USHORT bcdHID;
  UCHAR bCountry;
  UCHAR bNumDescriptors;
  struct {
    UCHAR bReportType;
    USHORT wReportLength;
  } DescriptorList[1];
} HID_DESCRIPTOR;
#pragma pack(pop)

typedef struct {
  UCHAR* reportBuffer; /* after the report id byte when the device has no report ids */
  ULONG reportBufferLen;
  UCHAR reportId;
} HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(HID_MINIDRIVER_REGISTRATION* registration);

#endif
