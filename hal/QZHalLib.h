// QZHalLib: the board support library as the test program uses it.
//
// The program reaches the hardware only through these functions. They have C
// linkage and fixed-width arguments so that the program binds to the board's
// library and to the simulated board alike, by name, at load time.
#ifndef QZHALLIB_H
#define QZHALLIB_H

#include "fixed_width_types.h"

// QZHAL_API marks the library's functions: exported by the library's own
// build (QZHAL_BUILDING_LIBRARY), imported from QZHalLib.dll by the program
// on Windows (QZHAL_STATIC: linked in directly). QZHAL_CALL is their calling
// convention on 32-bit x86 Windows, the C one, so that the DLL exports the
// plain names; other targets have only one.
#if defined(_WIN32) && defined(QZHAL_BUILDING_LIBRARY)
#define QZHAL_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(QZHAL_STATIC)
#define QZHAL_API __declspec(dllimport)
#else
#define QZHAL_API
#endif
#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define QZHAL_CALL __cdecl
#else
#define QZHAL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Auto-reset event the library signals once per GPIO interrupt. On Windows
// this is the event's HANDLE (a void * like HANDLE itself, so that this
// header needs no <windows.h>); on Linux it carries an eventfd descriptor.
typedef void *QZHAL_EVENT;

// Backlight. level 0..255; seconds of idle time before the backlight is
// suspended, flag 0 = suspend on, 1 = suspend off. Non-zero is success.
QZHAL_API int32_t QZHAL_CALL SetBacklightLevel(int32_t level);
QZHAL_API int32_t QZHAL_CALL SetBacklightSuspend(int32_t seconds, int32_t flag);

// Device control. ControlPowerKITL: on 1, off 0. Non-zero is success.
QZHAL_API int32_t QZHAL_CALL SoftReset(void);
QZHAL_API int32_t QZHAL_CALL RestartPowerKITL(void);
QZHAL_API int32_t QZHAL_CALL ControlPowerKITL(int32_t on);

// Touch calibration. 1 is success.
QZHAL_API int32_t QZHAL_CALL ClearTouchCalibrationData(void);
QZHAL_API int32_t QZHAL_CALL CalibrateTouch(void);

// Version words: one field per byte, most significant byte first.
QZHAL_API uint32_t QZHAL_CALL QZHalLibGetVersion(void);
QZHAL_API uint32_t QZHAL_CALL BSPGetVersion(void);
QZHAL_API uint32_t QZHAL_CALL WinCEImageGetVersion(void);

// GPIO, pins numbered from 1. direction 0 output, 1 input. GPIOGetPin returns
// the level, 1 for high. GPIOSetInterrupt: type 0 Low, 1 High, 2 Rise,
// 3 Fall, 4 Both; 0 is failure, else the event is set per interrupt.
QZHAL_API int32_t QZHAL_CALL GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option);
QZHAL_API int32_t QZHAL_CALL GPIOSetPin(int32_t gpio, int32_t level);
QZHAL_API int32_t QZHAL_CALL GPIOGetPin(int32_t gpio);
QZHAL_API int32_t QZHAL_CALL GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event);
QZHAL_API int32_t QZHAL_CALL GPIOClearInterrupt(int32_t gpio);

// I2C: bus 0 or 1, rate code 0..5 (100 to 3200 kbit/s), 7-bit device
// address, register address. 1 is success.
QZHAL_API int32_t QZHAL_CALL I2CWrite(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t data);
QZHAL_API int32_t QZHAL_CALL I2CRead(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data);
QZHAL_API int32_t QZHAL_CALL I2CWriteMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                              uint8_t length, uint8_t *data);
QZHAL_API int32_t QZHAL_CALL I2CReadMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                             uint8_t length, uint8_t *data);

// Physical registers. width in bits (32). The write returns the register's
// value after the write, negative on failure.
QZHAL_API int32_t QZHAL_CALL WritePhysicalAddress(int32_t channel, uint32_t address, int32_t width, uint32_t value,
                             int32_t option);
QZHAL_API uint32_t QZHAL_CALL ReadPhysicalAddress(int32_t channel, uint32_t address, int32_t width);

// SPI, device index from 0. SPIConfigure: mode 0..3, clock in Hz. SPIExchange
// shifts bitCount bits out of tx and into rx (words of 32 bits).
QZHAL_API int32_t QZHAL_CALL SPIOpen(int32_t device);
QZHAL_API int32_t QZHAL_CALL SPIConfigure(int32_t device, int32_t mode, uint32_t clockHz, int32_t option);
QZHAL_API int32_t QZHAL_CALL SPIExchange(int32_t device, int32_t bitCount, uint32_t *tx, uint32_t *rx);
QZHAL_API int32_t QZHAL_CALL SPIClose(int32_t device);

// UART, ports from 1. flow 0 off, 1 software, 2 hardware; baud in bit/s.
// UARTRead stores up to count characters and a NUL: buffer holds count + 1.
QZHAL_API int32_t QZHAL_CALL UARTOpen(int32_t port, int32_t flow, int32_t baud);
QZHAL_API int32_t QZHAL_CALL UARTConfigure(int32_t port, int32_t flow, int32_t parity, int32_t stopBits,
                      int32_t byteSize, int32_t baud);
QZHAL_API int32_t QZHAL_CALL UARTWrite(int32_t port, const char *text);
QZHAL_API int32_t QZHAL_CALL UARTRead(int32_t port, int32_t count, char *buffer);
QZHAL_API int32_t QZHAL_CALL UARTClose(int32_t port);

// CAN, channel 1. mode 0 standard, 1 extended; bit rate in bit/s; timeout in
// ms. Transfers store an error code through a non-null err on failure:
enum {
    QZHAL_CAN_TIMED_OUT = 1,   // no frame came, or none could go, within the timeout
    QZHAL_CAN_NOT_READY = 2,   // the channel is not open or not configured
    QZHAL_CAN_BAD_LENGTH = 3,  // a length the frame or the buffer cannot take
    QZHAL_CAN_CLOSED = 4       // the channel was closed while the transfer waited
};
QZHAL_API int32_t QZHAL_CALL CANOpen(int32_t channel);
QZHAL_API int32_t QZHAL_CALL CANClose(int32_t channel);
QZHAL_API int32_t QZHAL_CALL CANConfigureMode(int32_t channel, int32_t mode, uint32_t bitRate, int32_t option1,
                         int32_t option2);
QZHAL_API int32_t QZHAL_CALL CANConfigureMessage(int32_t channel, int32_t kind, int32_t id, int32_t prio,
                            int32_t timeoutMs, int32_t buffer);
QZHAL_API int32_t QZHAL_CALL CANConfigureFilter(int32_t channel, int32_t id, int32_t mask, int32_t option,
                           int32_t remote);
QZHAL_API int32_t QZHAL_CALL CANResetFilter(int32_t channel);
QZHAL_API int32_t QZHAL_CALL CANWrite(int32_t channel, uint8_t *data, int32_t count, int32_t *err);
QZHAL_API int32_t QZHAL_CALL CANRead(int32_t channel, uint8_t *data, int32_t count, int32_t *err);
QZHAL_API int32_t QZHAL_CALL CANGetMessageParameter(int32_t channel, int32_t *id, int32_t *kind, int32_t *length,
                               int32_t *prio, int32_t *timeoutMs, int32_t *buffer,
                               uint8_t *data);

#ifdef __cplusplus
}
#endif

#endif
