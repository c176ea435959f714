#include "joystick_report.h"

#include "bus_records.h"

/* Generic Desktop / Joystick. The axes' order decides what the system's joystick
 * interfaces show: with Ry left out, every axis has a field in the multimedia joystick
 * record too. */
const UCHAR kJoystickReportDescriptor[] = {
    0x05, 0x01,        /* Usage Page (Generic Desktop) */
    0x09, 0x04,        /* Usage (Joystick) */
    0xA1, 0x01,        /* Collection (Application) */
    0x09, 0x30,        /*   Usage (X) */
    0x09, 0x31,        /*   Usage (Y) */
    0x09, 0x32,        /*   Usage (Z) */
    0x09, 0x33,        /*   Usage (Rx) */
    0x09, 0x35,        /*   Usage (Rz) */
    0x09, 0x36,        /*   Usage (Slider) */
    0x15, 0x00,        /*   Logical Minimum (0) */
    0x26, 0xFF, 0x03,  /*   Logical Maximum (1023) */
    0x75, 0x10,        /*   Report Size (16) */
    0x95, 0x06,        /*   Report Count (6) */
    0x81, 0x02,        /*   Input (Data, Variable, Absolute) */
    0x05, 0x09,        /*   Usage Page (Button) */
    0x19, 0x01,        /*   Usage Minimum (1) */
    0x29, 0x0A,        /*   Usage Maximum (10) */
    0x15, 0x00,        /*   Logical Minimum (0) */
    0x25, 0x01,        /*   Logical Maximum (1) */
    0x75, 0x01,        /*   Report Size (1) */
    0x95, 0x0A,        /*   Report Count (10) */
    0x81, 0x02,        /*   Input (Data, Variable, Absolute) */
    0x75, 0x06,        /*   Report Size (6) */
    0x95, 0x01,        /*   Report Count (1) */
    0x81, 0x03,        /*   Input (Constant): padding to a whole byte */
    0xC0,              /* End Collection */
};
const USHORT kJoystickReportDescriptorSize = sizeof kJoystickReportDescriptor;

static void PutAxis(UCHAR* report, ULONG axis, LONG value) {
  if (value < 0) value = 0;
  if (value > JOYSTICK_AXIS_MAX) value = JOYSTICK_AXIS_MAX;
  report[2 * axis] = (UCHAR)value;
  report[2 * axis + 1] = (UCHAR)(value >> 8);
}

void JoystickReportFromState(const UCHAR* state, UCHAR* report) {
  for (ULONG axis = 0; axis < BUS_STATE_AXES; ++axis) {
    const UCHAR* at = state + 4 * axis;
    const ULONG raw = (ULONG)at[0] | ((ULONG)at[1] << 8) | ((ULONG)at[2] << 16) | ((ULONG)at[3] << 24);
    PutAxis(report, axis, (LONG)raw);
  }
  ULONG buttons = 0;
  for (ULONG button = 0; button < BUS_STATE_BUTTONS; ++button) {
    if (state[BUS_STATE_BUTTONS_OFFSET + button] != 0) buttons |= 1u << button;
  }
  report[12] = (UCHAR)buttons;
  report[13] = (UCHAR)(buttons >> 8);
}

void JoystickReportCentred(UCHAR* report) {
  for (ULONG axis = 0; axis < BUS_STATE_AXES; ++axis) PutAxis(report, axis, JOYSTICK_AXIS_CENTRE);
  report[12] = 0;
  report[13] = 0;
}
