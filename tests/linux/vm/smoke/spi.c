/* SPI through spidev: the loopback on chip select 0, the 25AA010A EEPROM on
 * chip select 1. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <linux/spi/spidev.h>
#include <stdint.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include "check.h"

enum { WRSR = 0x01, WRITE = 0x02, READ = 0x03, WRDI = 0x04, RDSR = 0x05, WREN = 0x06 };
enum { WIP = 0x01, WEL = 0x02 };

static int open_spi(struct why *why, const char *path, uint8_t mode, uint8_t bits)
{
	uint32_t speed = 1000000;
	int fd = open(path, O_RDWR);

	if (fd < 0) {
		fail_errno(why, path);
		return -1;
	}
	if (ioctl(fd, SPI_IOC_WR_MODE, &mode) || ioctl(fd, SPI_IOC_WR_BITS_PER_WORD, &bits) ||
	    ioctl(fd, SPI_IOC_WR_MAX_SPEED_HZ, &speed)) {
		fail_errno(why, "configuring spidev");
		close(fd);
		return -1;
	}
	return fd;
}

/* One chip-select frame of LEN bytes of words. */
static int exchange(int fd, const void *tx, void *rx, uint32_t len)
{
	struct spi_ioc_transfer transfer;

	memset(&transfer, 0, sizeof(transfer));
	transfer.tx_buf = (uintptr_t)tx;
	transfer.rx_buf = (uintptr_t)rx;
	transfer.len = len;
	return ioctl(fd, SPI_IOC_MESSAGE(1), &transfer) == (int)len ? 0 : -1;
}

static int loopback_bytes(struct why *why, int fd)
{
	static const uint8_t tx[] = { 0x01, 0x80, 0x5a, 0xff };
	uint8_t rx[sizeof(tx)] = { 0 };

	if (exchange(fd, tx, rx, sizeof(tx)))
		return fail_errno(why, "8-bit exchange");
	if (memcmp(tx, rx, sizeof(tx)) != 0)
		return fail(why, "8-bit words came back as %02x %02x %02x %02x", rx[0], rx[1], rx[2], rx[3]);
	return 1;
}

/* 12-bit words travel in 16-bit units; bits above the word are not sent. */
static int loopback_12_bit_words(struct why *why, int fd)
{
	static const uint16_t tx[] = { 0x0abc, 0xf123 };
	uint16_t rx[2] = { 0 }, bits = 12;
	uint8_t bits8 = (uint8_t)bits;

	if (ioctl(fd, SPI_IOC_WR_BITS_PER_WORD, &bits8) || exchange(fd, tx, rx, sizeof(tx)))
		return fail_errno(why, "12-bit exchange");
	if (rx[0] != 0x0abc || rx[1] != 0x0123)
		return fail(why, "12-bit words came back as %04x %04x", rx[0], rx[1]);
	return 1;
}

int check_spi_loopback(struct why *why)
{
	int fd = open_spi(why, "/dev/spidev0.0", SPI_MODE_0, 8), ok;

	if (fd < 0)
		return 0;
	ok = loopback_bytes(why, fd) && loopback_12_bit_words(why, fd);
	close(fd);
	return ok;
}

static int status(int fd)
{
	uint8_t tx[2] = { RDSR, 0 }, rx[2];

	return exchange(fd, tx, rx, 2) ? -1 : rx[1];
}

static int command(int fd, uint8_t op)
{
	uint8_t rx;

	return exchange(fd, &op, &rx, 1);
}

static int eeprom_read(int fd, uint8_t address, uint8_t *bytes, uint32_t count)
{
	uint8_t tx[2 + 16] = { READ, address }, rx[2 + 16];

	if (exchange(fd, tx, rx, 2 + count))
		return -1;
	memcpy(bytes, rx + 2, count);
	return 0;
}

static int wait_write_cycle(struct why *why, int fd)
{
	struct timespec pause = { 0, 1000000 };
	int i, sr;

	for (i = 0; i < 100; i++) {
		sr = status(fd);
		if (sr < 0)
			return fail_errno(why, "RDSR");
		if (!(sr & WIP))
			return (sr & WEL) ? fail(why, "WEL still set after the write (status %02x)", sr) : 1;
		nanosleep(&pause, NULL);
	}
	return fail(why, "still busy 100 ms after a write");
}

/* A page write from 0x0e wraps within its page: 0x0e, 0x0f, 0x00, 0x01. */
static int eeprom_page_write(struct why *why, int fd)
{
	static const uint8_t write[] = { WRITE, 0x0e, 0xa1, 0xa2, 0xa3, 0xa4 };
	uint8_t rx[sizeof(write)];
	int sr;

	if (command(fd, WREN) || (sr = status(fd)) < 0)
		return fail_errno(why, "WREN, RDSR");
	if (sr != WEL)
		return fail(why, "status after WREN is %02x", sr);
	if (exchange(fd, write, rx, sizeof(write)))
		return fail_errno(why, "WRITE");
	return wait_write_cycle(why, fd);
}

static int eeprom_holds(struct why *why, int fd, uint8_t address, const uint8_t *expected, uint32_t count)
{
	uint8_t got[16];

	if (eeprom_read(fd, address, got, count))
		return fail_errno(why, "READ");
	if (memcmp(got, expected, count) != 0)
		return fail(why, "READ at %02x gave %02x %02x ...", address, got[0], count > 1 ? got[1] : 0);
	return 1;
}

/* A 24-bit word carries instruction, address and one data byte. */
static int eeprom_read_24_bit_word(struct why *why, int fd)
{
	uint32_t tx = (READ << 16) | (0x0f << 8), rx = 0;
	uint8_t bits = 24;

	if (ioctl(fd, SPI_IOC_WR_BITS_PER_WORD, &bits) || exchange(fd, &tx, &rx, 4))
		return fail_errno(why, "24-bit READ");
	bits = 8;
	if (ioctl(fd, SPI_IOC_WR_BITS_PER_WORD, &bits))
		return fail_errno(why, "back to 8-bit words");
	if (rx != 0xffffa2)
		return fail(why, "a 24-bit READ of 0x0f gave %06x", rx);
	return 1;
}

/* Without WREN a write changes nothing. */
static int eeprom_write_protected(struct why *why, int fd)
{
	static const uint8_t write[] = { WRITE, 0x20, 0x00 }, erased = 0xff;
	uint8_t rx[sizeof(write)];

	if (exchange(fd, write, rx, sizeof(write)))
		return fail_errno(why, "WRITE");
	return eeprom_holds(why, fd, 0x20, &erased, 1);
}

static int write_status(struct why *why, int fd, uint8_t value)
{
	uint8_t tx[2] = { WRSR, value }, rx[2];

	if (command(fd, WREN) || exchange(fd, tx, rx, 2))
		return fail_errno(why, "WREN, WRSR");
	return wait_write_cycle(why, fd);
}

static int write_byte(struct why *why, int fd, uint8_t address, uint8_t value)
{
	uint8_t tx[3] = { WRITE, address, value }, rx[3];

	if (command(fd, WREN) || exchange(fd, tx, rx, 3))
		return fail_errno(why, "WREN, WRITE");
	return wait_write_cycle(why, fd);
}

/* BP1:BP0 = 3 protects the whole array until the status is written again. */
static int eeprom_block_protection(struct why *why, int fd)
{
	static const uint8_t erased = 0xff, written = 0x55;
	int sr;

	if (!write_status(why, fd, 0x0c))
		return 0;
	if ((sr = status(fd)) != 0x0c)
		return fail(why, "status after WRSR 0c is %02x", sr);
	if (!write_byte(why, fd, 0x30, 0x55) || !eeprom_holds(why, fd, 0x30, &erased, 1))
		return 0;
	return write_status(why, fd, 0x00) && write_byte(why, fd, 0x30, 0x55) &&
	       eeprom_holds(why, fd, 0x30, &written, 1);
}

int check_spi_eeprom(struct why *why)
{
	static const uint8_t page_end[] = { 0xa1, 0xa2, 0xff, 0xff }, page_start[] = { 0xa3, 0xa4, 0xff };
	int fd = open_spi(why, "/dev/spidev0.1", SPI_MODE_0, 8), ok, sr;

	if (fd < 0)
		return 0;
	ok = (sr = status(fd)) == 0 || fail(why, "power-on status %02x", sr);
	ok = ok && eeprom_page_write(why, fd) && eeprom_holds(why, fd, 0x0e, page_end, sizeof(page_end)) &&
	     eeprom_holds(why, fd, 0x00, page_start, sizeof(page_start)) && eeprom_read_24_bit_word(why, fd) &&
	     eeprom_write_protected(why, fd) && eeprom_block_protection(why, fd);
	close(fd);
	return ok;
}

static int answers_in_mode(struct why *why, uint8_t mode, int answers)
{
	static const uint8_t written = 0xa1, idle = 0xff;
	int fd = open_spi(why, "/dev/spidev0.1", mode, 8), ok;

	if (fd < 0)
		return 0;
	ok = eeprom_holds(why, fd, 0x0e, answers ? &written : &idle, 1);
	close(fd);
	if (!ok) {
		struct why reason = *why;

		return fail(why, "mode %u: %s", mode, reason.text);
	}
	return 1;
}

int check_spi_eeprom_modes(struct why *why)
{
	return answers_in_mode(why, SPI_MODE_1, 0) && answers_in_mode(why, SPI_MODE_2, 0) &&
	       answers_in_mode(why, SPI_MODE_3, 1) && answers_in_mode(why, SPI_MODE_0, 1);
}
