// QZHalLib: the board support library as the test program uses it.
//
// The program reaches the hardware only through these functions. They have C
// linkage and fixed-width arguments so that the program binds to the board's
// library and to the simulated board alike, by name, at load time.
#ifndef QZHALLIB_H
#define QZHALLIB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Auto-reset event the library signals once per GPIO interrupt. On the board
// this is a kernel event handle; on Linux it carries an eventfd descriptor.
typedef void *QZHAL_EVENT;

// Backlight. level 0..255; seconds of idle time before the backlight is
// suspended, flag 0 = suspend on, 1 = suspend off. Non-zero is success.
int32_t SetBacklightLevel(int32_t level);
int32_t SetBacklightSuspend(int32_t seconds, int32_t flag);

// Device control. ControlPowerKITL: on 1, off 0. Non-zero is success.
int32_t SoftReset(void);
int32_t RestartPowerKITL(void);
int32_t ControlPowerKITL(int32_t on);

// Touch calibration. 1 is success.
int32_t ClearTouchCalibrationData(void);
int32_t CalibrateTouch(void);

// Version words: one field per byte, most significant byte first.
uint32_t QZHalLibGetVersion(void);
uint32_t BSPGetVersion(void);
uint32_t WinCEImageGetVersion(void);

// GPIO, pins numbered from 1. direction 0 output, 1 input. GPIOGetPin returns
// the level, 1 for high. GPIOSetInterrupt: type 0 Low, 1 High, 2 Rise,
// 3 Fall, 4 Both; 0 is failure, else the event is set per interrupt.
int32_t GPIOSetDirection(int32_t gpio, int32_t direction, int32_t option);
int32_t GPIOSetPin(int32_t gpio, int32_t level);
int32_t GPIOGetPin(int32_t gpio);
int32_t GPIOSetInterrupt(int32_t gpio, int32_t type, QZHAL_EVENT event);
int32_t GPIOClearInterrupt(int32_t gpio);

// I2C: bus 0 or 1, rate code 0..5 (100 to 3200 kbit/s), 7-bit device
// address, register address. 1 is success.
int32_t I2CWrite(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t data);
int32_t I2CRead(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data);
int32_t I2CWriteMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                              uint8_t length, uint8_t *data);
int32_t I2CReadMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                             uint8_t length, uint8_t *data);

// Physical registers. width in bits (32). The write returns the register's
// value after the write, negative on failure.
int32_t WritePhysicalAddress(int32_t channel, uint32_t address, int32_t width, uint32_t value,
                             int32_t option);
uint32_t ReadPhysicalAddress(int32_t channel, uint32_t address, int32_t width);

// SPI, device index from 0. SPIConfigure: mode 0..3, clock in Hz. SPIExchange
// shifts bitCount bits out of tx and into rx (words of 32 bits).
int32_t SPIOpen(int32_t device);
int32_t SPIConfigure(int32_t device, int32_t mode, uint32_t clockHz, int32_t option);
int32_t SPIExchange(int32_t device, int32_t bitCount, uint32_t *tx, uint32_t *rx);
int32_t SPIClose(int32_t device);

// UART, ports from 1. flow 0 off, 1 software, 2 hardware; baud in bit/s.
// UARTRead stores up to count characters and a NUL: buffer holds count + 1.
int32_t UARTOpen(int32_t port, int32_t flow, int32_t baud);
int32_t UARTConfigure(int32_t port, int32_t flow, int32_t parity, int32_t stopBits,
                      int32_t byteSize, int32_t baud);
int32_t UARTWrite(int32_t port, const char *text);
int32_t UARTRead(int32_t port, int32_t count, char *buffer);
int32_t UARTClose(int32_t port);

// CAN, channel 1. mode 0 standard, 1 extended; bit rate in bit/s; timeout in
// ms. Transfers store an error code through a non-null err on failure.
int32_t CANOpen(int32_t channel);
int32_t CANClose(int32_t channel);
int32_t CANConfigureMode(int32_t channel, int32_t mode, uint32_t bitRate, int32_t option1,
                         int32_t option2);
int32_t CANConfigureMessage(int32_t channel, int32_t kind, int32_t id, int32_t prio,
                            int32_t timeoutMs, int32_t buffer);
int32_t CANConfigureFilter(int32_t channel, int32_t id, int32_t mask, int32_t option,
                           int32_t remote);
int32_t CANResetFilter(int32_t channel);
int32_t CANWrite(int32_t channel, uint8_t *data, int32_t count, int32_t *err);
int32_t CANRead(int32_t channel, uint8_t *data, int32_t count, int32_t *err);
int32_t CANGetMessageParameter(int32_t channel, int32_t *id, int32_t *kind, int32_t *length,
                               int32_t *prio, int32_t *timeoutMs, int32_t *buffer,
                               uint8_t *data);

#ifdef __cplusplus
}
#endif

#endif
