/* Proves that each simulated device of the virtual machine answers through
 * its kernel interface. Prints one line per case and a summary line; exits
 * 0 when every case passed. Runs inside the machine. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "check.h"

static const struct {
	const char *name;
	check_fn *run;
} checks[] = {
	{ "gpio: output level seen in sysfs", check_gpio_output },
	{ "gpio: pull set in sysfs read as input", check_gpio_pull },
	{ "gpio: edge events from the pull", check_gpio_edges },
	{ "i2c: EEPROM written and read with I2C_RDWR", check_i2c_eeprom },
	{ "i2c: missing device gives ENXIO", check_i2c_missing_device },
	{ "spi: loopback on spidev0.0", check_spi_loopback },
	{ "spi: EEPROM on spidev0.1 written and read", check_spi_eeprom },
	{ "spi: EEPROM answers in modes 0 and 3 only", check_spi_eeprom_modes },
	{ "can: frames between two raw sockets on vcan0", check_can_frames },
	{ "can: acceptance filter", check_can_filter },
	{ "backlight: brightness in sysfs", check_backlight },
	{ "mem: window read and written through /dev/mem", check_mem_window },
	{ "mem: RAM outside the window refused", check_mem_outside_window },
	{ "serial: bytes across the pair both ways", check_serial_pair },
};

int fail(struct why *why, const char *format, ...)
{
	va_list args;

	va_start(args, format);
	vsnprintf(why->text, sizeof(why->text), format, args);
	va_end(args);
	return 0;
}

int fail_errno(struct why *why, const char *what)
{
	return fail(why, "%s: %s", what, strerror(errno));
}

int read_line(const char *path, char *buf, size_t size)
{
	int fd = open(path, O_RDONLY);
	ssize_t n;

	if (fd < 0)
		return -1;
	n = read(fd, buf, size - 1);
	close(fd);
	if (n < 0)
		return -1;
	buf[n] = '\0';
	buf[strcspn(buf, "\n")] = '\0';
	return 0;
}

int write_text(const char *path, const char *text)
{
	int fd = open(path, O_WRONLY);
	ssize_t n;

	if (fd < 0)
		return -1;
	n = write(fd, text, strlen(text));
	close(fd);
	return n == (ssize_t)strlen(text) ? 0 : -1;
}

int main(void)
{
	size_t i, passed = 0, failed = 0;

	setvbuf(stdout, NULL, _IOLBF, 0);
	for (i = 0; i < sizeof(checks) / sizeof(checks[0]); i++) {
		struct why why = { "" };

		if (checks[i].run(&why)) {
			printf("ok     %s\n", checks[i].name);
			passed++;
		} else {
			printf("FAILED %s: %s\n", checks[i].name, why.text);
			failed++;
		}
	}
	printf("%zu passed, %zu failed\n", passed, failed);
	return failed ? 1 : 0;
}
