/* I2C through i2c-dev's I2C_RDWR: the EEPROMs at 0x50 on buses 0 and 1. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "check.h"

#define EEPROM 0x50

static int transfer(int fd, struct i2c_msg *msgs, unsigned int count)
{
	struct i2c_rdwr_ioctl_data data = { msgs, count };

	return ioctl(fd, I2C_RDWR, &data) == (int)count ? 0 : -1;
}

/* Register write: the address byte, then the data, in one message. */
static int eeprom_write(int fd, __u16 device, __u8 address, const __u8 *bytes, __u16 count)
{
	__u8 buf[1 + 16];
	struct i2c_msg msg = { device, 0, (__u16)(count + 1), buf };

	buf[0] = address;
	memcpy(buf + 1, bytes, count);
	return transfer(fd, &msg, 1);
}

/* Register read: the address byte, a repeated start, then the read. */
static int eeprom_read(int fd, __u16 device, __u8 address, __u8 *bytes, __u16 count)
{
	struct i2c_msg msgs[2] = {
		{ device, 0, 1, &address },
		{ device, I2C_M_RD, count, bytes },
	};

	return transfer(fd, msgs, 2);
}

static int open_bus(struct why *why, const char *path)
{
	int fd = open(path, O_RDWR);

	if (fd < 0)
		fail_errno(why, path);
	return fd;
}

static int bus_has(struct why *why, int fd, __u8 address, const __u8 *expected, __u16 count, const char *what)
{
	__u8 got[16];
	__u16 i;

	if (eeprom_read(fd, EEPROM, address, got, count))
		return fail_errno(why, "reading the EEPROM");
	for (i = 0; i < count; i++)
		if (got[i] != expected[i])
			return fail(why, "%s: byte %u of 0x%02x reads 0x%02x, not 0x%02x", what, i, address, got[i],
				    expected[i]);
	return 1;
}

static int write_then_read(struct why *why, int bus0, int bus1)
{
	static const __u8 data[] = { 0x12, 0x34, 0x56 }, wrapped[] = { 0xa1, 0xa2 };
	static const __u8 erased[] = { 0xff, 0xff, 0xff };

	if (eeprom_write(bus0, EEPROM, 0x10, data, sizeof(data)) || eeprom_write(bus0, EEPROM, 0xff, wrapped, 2))
		return fail_errno(why, "writing the EEPROM");
	return bus_has(why, bus0, 0x10, data, sizeof(data), "written bytes") &&
	       bus_has(why, bus0, 0xff, wrapped, 2, "write across the end (wraps to 0)") &&
	       bus_has(why, bus0, 0x13, erased, sizeof(erased), "untouched bytes") &&
	       bus_has(why, bus1, 0x10, erased, sizeof(erased), "bus 1 after a write on bus 0");
}

int check_i2c_eeprom(struct why *why)
{
	int bus0 = open_bus(why, "/dev/i2c-0"), bus1 = bus0 < 0 ? -1 : open_bus(why, "/dev/i2c-1");
	int ok = bus0 >= 0 && bus1 >= 0 && write_then_read(why, bus0, bus1);

	if (bus0 >= 0)
		close(bus0);
	if (bus1 >= 0)
		close(bus1);
	return ok;
}

int check_i2c_missing_device(struct why *why)
{
	int fd = open_bus(why, "/dev/i2c-0"), ok;
	__u8 byte = 0;

	if (fd < 0)
		return 0;
	if (eeprom_read(fd, 0x51, 0, &byte, 1) == 0)
		ok = fail(why, "a read from 0x51 succeeded");
	else
		ok = errno == ENXIO || fail_errno(why, "a read from 0x51 failed, but not with ENXIO");
	close(fd);
	return ok;
}
