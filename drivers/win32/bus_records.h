/* The joystick bus's requests and records as the program sends them: little-endian, one
 * buffer used as input and output, each request only with its record's exact size. */
#ifndef CORVANE_BUS_RECORDS_H
#define CORVANE_BUS_RECORDS_H

/* Device type 0x2A (bus extender), buffered transfer, any access. */
#define BUS_EXPOSE_HARDWARE 0x2A0000u
#define BUS_REMOVE_HARDWARE 0x2A0004u
#define BUS_PORT_DESCRIPTION 0x2A0008u
#define BUS_SET_STATE 0x2A2004u

/* Port description: its size at 0; the bus returns the port handle at 4. */
#define BUS_PORT_DESCRIPTION_SIZE 40u
#define BUS_PORT_HANDLE 0x4356504Fu /* any non-zero value: there is one port */

/* Expose: the size of its fixed part at 0, the port handle at 4, the hardware handle the
 * bus returns at 8; from 64 the UTF-16LE hardware ids, each ended by a 0 character, the
 * list by an empty one. */
#define BUS_EXPOSE_SIZE 122u
#define BUS_EXPOSE_FIXED_SIZE 64u
#define BUS_EXPOSE_HARDWARE_OFFSET 8u
#define BUS_EXPOSE_IDS_OFFSET 64u
#define BUS_EXPOSE_IDS_CHARS ((BUS_EXPOSE_SIZE - BUS_EXPOSE_IDS_OFFSET) / 2u)

/* Remove: its size at 0, the hardware handle at 4. */
#define BUS_REMOVE_SIZE 8u

/* State: six signed 32-bit axes, two zero bytes, ten button bytes (0 or 1). */
#define BUS_STATE_SIZE 36u
#define BUS_STATE_AXES 6u
#define BUS_STATE_BUTTONS 10u
#define BUS_STATE_BUTTONS_OFFSET 26u

#endif
