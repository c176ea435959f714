/* The joystick's HID input report: six 16-bit axes of logical range 0 … 1023 (usages X, Y,
 * Z, Rx, Rz, Slider), then ten one-bit buttons and six bits of padding. No report id. */
#ifndef CORVANE_JOYSTICK_REPORT_H
#define CORVANE_JOYSTICK_REPORT_H

#include <ntddk.h>

#define JOYSTICK_REPORT_SIZE 14u
#define JOYSTICK_AXIS_MAX 1023
#define JOYSTICK_AXIS_CENTRE 512

extern const UCHAR kJoystickReportDescriptor[];
extern const USHORT kJoystickReportDescriptorSize;

/* The report of a state record (bus_records.h): each axis clamped to 0 … 1023, each
 * button pressed when its byte is not 0. */
void JoystickReportFromState(const UCHAR* state, UCHAR* report);

/* Every axis at the centre, every button released: a new joystick until its first state. */
void JoystickReportCentred(UCHAR* report);

#endif
