/* What the test bus driver and the tests that read it agree on. Shared by C (the driver)
 * and C++ (the tests).
 *
 * The driver answers the joystick bus's four requests and keeps every request it was sent,
 * in order, as one entry: the 32-bit control code, the 32-bit input length, then the input
 * bytes as they arrived. A fifth request, which only this driver knows, hands the entries
 * back and starts a new log; a sixth, with a 32-bit flag, makes the device refuse the state
 * request (1) or accept it again (0), so that it is not taken for the joystick driver's. */
#ifndef CORVANE_TEST_BUS_LOG_H
#define CORVANE_TEST_BUS_LOG_H

/* Device type 0x2A (bus extender), buffered, any access: the joystick bus's own scheme. */
#define TEST_BUS_IOCTL(function) ((0x2Au << 16) | ((function) << 2))
#define TEST_BUS_TAKE_LOG TEST_BUS_IOCTL(0x8F0u)
#define TEST_BUS_REFUSE_STATE TEST_BUS_IOCTL(0x8F1u)

/* The log holds this many bytes; requests that would not fit are answered but not logged,
 * and the log says so in its first entry's place: TEST_BUS_LOG_OVERFLOW as the code. */
#define TEST_BUS_LOG_CAPACITY 65536u
#define TEST_BUS_LOG_OVERFLOW 0xFFFFFFFFu

/* What the driver returns: the port handle at offset 4 of the port description, the
 * hardware handle at offset 8 of the expose record. */
#define TEST_BUS_PORT_HANDLE 0x504F5254u
#define TEST_BUS_HARDWARE_HANDLE 0x4A4F5931u

/* The root devices the driver is installed on (two, so that a listing of the class holds
 * more than one interface), their hardware identifier, and the driver's service. */
#define TEST_BUS_DEVICE_COUNT 2
#define TEST_BUS_DEVICE_ID "ROOT\\CORVANETESTBUS"
#define TEST_BUS_HARDWARE_ID "Corvane\\TestBus"
#define TEST_BUS_SERVICE "CorvaneTestBus"

#endif
