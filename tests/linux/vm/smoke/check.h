/* The smoke check's cases: each returns 1 when the device answered as it
 * should, else 0 with the reason in why. */
#ifndef VM_SMOKE_CHECK_H
#define VM_SMOKE_CHECK_H

#include <stddef.h>

struct why {
	char text[256];
};

typedef int check_fn(struct why *why);

/* Both return 0, so that a case can say "return fail(...)". */
int fail(struct why *why, const char *format, ...) __attribute__((format(printf, 2, 3)));
int fail_errno(struct why *why, const char *what);

/* A small sysfs file: its first line without the newline, or -1. */
int read_line(const char *path, char *buf, size_t size);
int write_text(const char *path, const char *text);

check_fn check_gpio_output, check_gpio_pull, check_gpio_edges;
check_fn check_i2c_eeprom, check_i2c_missing_device;
check_fn check_spi_loopback, check_spi_eeprom, check_spi_eeprom_modes;
check_fn check_can_frames, check_can_filter;
check_fn check_backlight;
check_fn check_mem_window, check_mem_outside_window;
check_fn check_serial_pair;

#endif
