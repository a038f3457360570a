// SPDX-License-Identifier: GPL-2.0
/*
 * SPI bus 0 with two devices bound to spidev: /dev/spidev0.0 is a loopback
 * (what goes out on MOSI comes back on MISO), /dev/spidev0.1 a 25AA010A
 * serial EEPROM.
 *
 * The controller takes words of 1 to 32 bits, MSB or LSB first, in the four
 * SPI modes. The EEPROM is modelled bit by bit on the wire, so any word size
 * reaches it as the same bit stream: 128 bytes erased to 0xff, 16-byte
 * pages, READ 0x03, WRITE 0x02, WRDI 0x04, WREN 0x06, RDSR 0x05, WRSR 0x01.
 * A write needs the write-enable latch, keeps the part busy for 5 ms (only
 * RDSR is obeyed meanwhile) and clears the latch at its end. The part answers
 * in modes 0 and 3 only; where it does not drive MISO the line reads 1.
 */
#include <linux/ktime.h>
#include <linux/module.h>
#include <linux/mutex.h>
#include <linux/platform_device.h>
#include <linux/slab.h>
#include <linux/spi/spi.h>
#include <linux/string.h>

#define LOOPBACK_CS 0
#define EEPROM_CS 1
#define EEPROM_SIZE 128
#define EEPROM_PAGE 16
#define WRITE_CYCLE_NS (5 * NSEC_PER_MSEC)

enum { OP_WRSR = 0x01, OP_WRITE = 0x02, OP_READ = 0x03, OP_WRDI = 0x04, OP_RDSR = 0x05, OP_WREN = 0x06 };
enum { SR_WIP = 0x01, SR_WEL = 0x02, SR_BP = 0x0c };
enum phase { INSTRUCTION, ADDRESS, READ_DATA, WRITE_DATA, STATUS_OUT, STATUS_IN, IGNORED };

struct eeprom_frame {
	bool answering; /* the part was selected in mode 0 or 3 */
	enum phase phase;
	int instruction; /* the accepted instruction, -1 for none */
	u8 address;
	unsigned int bits; /* bits clocked in this frame */
	u8 in_byte, out_byte;
	u8 page_data[EEPROM_PAGE];
	bool page_written[EEPROM_PAGE];
	int new_status; /* -1 until a whole status byte came */
};

struct eeprom {
	struct mutex lock;
	u8 memory[EEPROM_SIZE];
	u8 protection; /* BP1:BP0 */
	bool write_enabled, writing;
	ktime_t write_end;
	struct eeprom_frame frame;
};

static struct eeprom eeprom;
static struct platform_device *parent;
static struct spi_controller *controller;

static bool eeprom_busy(void)
{
	if (eeprom.writing && ktime_after(ktime_get(), eeprom.write_end)) {
		eeprom.writing = false;
		eeprom.write_enabled = false;
	}
	return eeprom.writing;
}

static u8 eeprom_status(void)
{
	bool busy = eeprom_busy();

	return (busy ? SR_WIP : 0) | (eeprom.write_enabled ? SR_WEL : 0) | (eeprom.protection << 2);
}

static unsigned int first_protected_address(void)
{
	static const unsigned int first[] = { EEPROM_SIZE, EEPROM_SIZE - EEPROM_SIZE / 4, EEPROM_SIZE / 2, 0 };

	return first[eeprom.protection & 3];
}

static void eeprom_start_write_cycle(void)
{
	eeprom.writing = true;
	eeprom.write_end = ktime_add_ns(ktime_get(), WRITE_CYCLE_NS);
}

/* The byte the part shifts out next, chosen when its first bit is due. */
static u8 eeprom_output_byte(const struct eeprom_frame *f)
{
	if (f->phase == READ_DATA)
		return eeprom.memory[f->address];
	if (f->phase == STATUS_OUT)
		return eeprom_status();
	return 0xff;
}

static void eeprom_take_instruction(struct eeprom_frame *f, u8 op)
{
	f->phase = IGNORED;
	if (eeprom_busy() && op != OP_RDSR)
		return;
	switch (op) {
	case OP_READ:
		f->phase = ADDRESS;
		break;
	case OP_WRITE:
		if (eeprom.write_enabled)
			f->phase = ADDRESS;
		break;
	case OP_WRSR:
		if (eeprom.write_enabled)
			f->phase = STATUS_IN;
		break;
	case OP_RDSR:
		f->phase = STATUS_OUT;
		break;
	case OP_WREN:
	case OP_WRDI:
		break;
	default:
		return;
	}
	f->instruction = op;
}

static void eeprom_take_byte(struct eeprom_frame *f, u8 byte)
{
	switch (f->phase) {
	case INSTRUCTION:
		eeprom_take_instruction(f, byte);
		break;
	case ADDRESS:
		f->address = byte & (EEPROM_SIZE - 1);
		f->phase = f->instruction == OP_READ ? READ_DATA : WRITE_DATA;
		break;
	case READ_DATA:
		f->address = (f->address + 1) & (EEPROM_SIZE - 1);
		break;
	case WRITE_DATA: /* the address wraps within its page */
		f->page_data[f->address % EEPROM_PAGE] = byte;
		f->page_written[f->address % EEPROM_PAGE] = true;
		f->address = (f->address & ~(EEPROM_PAGE - 1)) | ((f->address + 1) & (EEPROM_PAGE - 1));
		break;
	case STATUS_IN:
		if (f->new_status < 0)
			f->new_status = byte;
		break;
	default:
		break;
	}
}

/* One bit on the wire: MOSI in, MISO back. */
static int eeprom_clock_bit(struct eeprom_frame *f, int in)
{
	unsigned int bit = f->bits % 8;
	int out;

	if (!f->answering)
		return 1;
	if (bit == 0)
		f->out_byte = eeprom_output_byte(f);
	out = (f->out_byte >> (7 - bit)) & 1;
	f->in_byte = (f->in_byte << 1) | (in & 1);
	f->bits++;
	if (bit == 7)
		eeprom_take_byte(f, f->in_byte);
	return out;
}

static void eeprom_begin_frame(struct spi_device *spi)
{
	struct eeprom_frame *f = &eeprom.frame;
	u32 mode = spi->mode & SPI_MODE_X_MASK;

	memset(f, 0, sizeof(*f));
	f->answering = mode == SPI_MODE_0 || mode == SPI_MODE_3;
	f->phase = INSTRUCTION;
	f->instruction = -1;
	f->new_status = -1;
}

static void eeprom_commit_page(const struct eeprom_frame *f)
{
	unsigned int page = f->address & ~(EEPROM_PAGE - 1), i;

	for (i = 0; i < EEPROM_PAGE; i++)
		if (f->page_written[i] && page + i < first_protected_address())
			eeprom.memory[page + i] = f->page_data[i];
}

static bool page_has_data(const struct eeprom_frame *f)
{
	return memchr_inv(f->page_written, 0, sizeof(f->page_written)) != NULL;
}

/* Raising chip select executes what the frame asked for. */
static void eeprom_end_frame(void)
{
	struct eeprom_frame *f = &eeprom.frame;
	bool ends_on_byte = f->bits % 8 == 0;

	switch (f->instruction) {
	case OP_WREN:
		eeprom.write_enabled = true;
		break;
	case OP_WRDI:
		eeprom.write_enabled = false;
		break;
	case OP_WRITE:
		if (!ends_on_byte || !page_has_data(f))
			break;
		eeprom_commit_page(f);
		eeprom_start_write_cycle();
		break;
	case OP_WRSR:
		if (!ends_on_byte || f->new_status < 0)
			break;
		eeprom.protection = (f->new_status & SR_BP) >> 2;
		eeprom_start_write_cycle();
		break;
	}
	f->instruction = -1;
	f->answering = false;
}

/* The controller passes the electrical level: low selects the device. */
static void vm_spi_set_cs(struct spi_device *spi, bool level)
{
	if (spi->chip_select != EEPROM_CS)
		return;
	mutex_lock(&eeprom.lock);
	if (level)
		eeprom_end_frame();
	else
		eeprom_begin_frame(spi);
	mutex_unlock(&eeprom.lock);
}

static unsigned int word_bytes(unsigned int bits)
{
	return bits <= 8 ? 1 : bits <= 16 ? 2 : 4;
}

static u32 load_word(const void *buf, unsigned int i, unsigned int size)
{
	if (!buf)
		return 0;
	if (size == 1)
		return ((const u8 *)buf)[i];
	if (size == 2)
		return ((const u16 *)buf)[i];
	return ((const u32 *)buf)[i];
}

static void store_word(void *buf, unsigned int i, unsigned int size, u32 word)
{
	if (!buf)
		return;
	if (size == 1)
		((u8 *)buf)[i] = word;
	else if (size == 2)
		((u16 *)buf)[i] = word;
	else
		((u32 *)buf)[i] = word;
}

static u32 eeprom_exchange_word(u32 tx, unsigned int bits, bool lsb_first)
{
	u32 rx = 0;
	unsigned int n, pos;

	for (n = 0; n < bits; n++) {
		pos = lsb_first ? n : bits - 1 - n;
		rx |= (u32)eeprom_clock_bit(&eeprom.frame, (tx >> pos) & 1) << pos;
	}
	return rx;
}

static int vm_spi_transfer_one(struct spi_controller *ctlr, struct spi_device *spi, struct spi_transfer *xfer)
{
	unsigned int bits = xfer->bits_per_word, size = word_bytes(bits), i;
	u32 mask = bits == 32 ? ~0u : (1u << bits) - 1;
	bool lsb_first = spi->mode & SPI_LSB_FIRST;

	mutex_lock(&eeprom.lock);
	for (i = 0; i < xfer->len / size; i++) {
		u32 tx = load_word(xfer->tx_buf, i, size) & mask;
		u32 rx = spi->chip_select == EEPROM_CS ? eeprom_exchange_word(tx, bits, lsb_first) : tx;

		store_word(xfer->rx_buf, i, size, rx & mask);
	}
	mutex_unlock(&eeprom.lock);
	return 0;
}

static int vm_spi_add_device(u8 chip_select)
{
	struct spi_device *spi = spi_alloc_device(controller);
	int err;

	if (!spi)
		return -ENOMEM;
	spi->chip_select = chip_select;
	spi->max_speed_hz = 20000000;
	spi->mode = SPI_MODE_0;
	spi->bits_per_word = 8;
	/* Binds spidev without a device tree; freed with the device. */
	spi->driver_override = kstrdup("spidev", GFP_KERNEL);
	if (!spi->driver_override) {
		spi_dev_put(spi);
		return -ENOMEM;
	}
	err = spi_add_device(spi);
	if (err)
		spi_dev_put(spi);
	return err;
}

static int __init vm_spi_init(void)
{
	int err;

	mutex_init(&eeprom.lock);
	memset(eeprom.memory, 0xff, sizeof(eeprom.memory));
	parent = platform_device_register_simple("vm-spi", -1, NULL, 0);
	if (IS_ERR(parent))
		return PTR_ERR(parent);
	controller = spi_alloc_master(&parent->dev, 0);
	if (!controller) {
		err = -ENOMEM;
		goto unregister_parent;
	}
	controller->bus_num = 0;
	controller->num_chipselect = 2;
	controller->mode_bits = SPI_CPOL | SPI_CPHA | SPI_LSB_FIRST;
	controller->bits_per_word_mask = SPI_BPW_RANGE_MASK(1, 32);
	controller->max_speed_hz = 20000000;
	controller->set_cs = vm_spi_set_cs;
	controller->transfer_one = vm_spi_transfer_one;
	err = spi_register_controller(controller);
	if (err) {
		spi_controller_put(controller);
		goto unregister_parent;
	}
	err = vm_spi_add_device(LOOPBACK_CS);
	if (!err)
		err = vm_spi_add_device(EEPROM_CS);
	if (err) {
		spi_unregister_controller(controller);
		goto unregister_parent;
	}
	return 0;

unregister_parent:
	platform_device_unregister(parent);
	return err;
}

static void __exit vm_spi_exit(void)
{
	spi_unregister_controller(controller);
	platform_device_unregister(parent);
}

module_init(vm_spi_init);
module_exit(vm_spi_exit);
MODULE_DESCRIPTION("SPI bus 0: a loopback on chip select 0, a 25AA010A EEPROM on chip select 1");
MODULE_LICENSE("GPL");
