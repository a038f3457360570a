// SPDX-License-Identifier: GPL-2.0
/*
 * Two I2C buses, /dev/i2c-0 and /dev/i2c-1 once i2c-dev is loaded, each with
 * a 256-byte EEPROM at address 0x50 and nothing else.
 *
 * The adapters take plain I2C messages (I2C_RDWR), unlike i2c-stub, which
 * speaks SMBus only. A write message sets the EEPROM's address pointer from
 * its first byte and stores the rest; a read message reads from the pointer.
 * The pointer wraps at 256. A message to any other address is not
 * acknowledged: the transfer fails with ENXIO, as on a real bus.
 *
 * Each bus is a platform device, vm-i2c-eeprom.0 and .1, bound to the
 * platform driver vm-i2c-eeprom as a board's I2C controllers are, so that a
 * test can unbind a bus's driver and bind it again through sysfs. The
 * EEPROMs keep their bytes meanwhile, as chips on the board would.
 */
#include <linux/i2c.h>
#include <linux/module.h>
#include <linux/platform_device.h>
#include <linux/slab.h>
#include <linux/string.h>

#define EEPROM_ADDRESS 0x50
#define EEPROM_SIZE 256
#define BUS_COUNT 2

struct eeprom_bus {
	u8 memory[EEPROM_SIZE];
	u8 pointer; /* wraps at 256 by its type */
};

static struct eeprom_bus buses[BUS_COUNT];
static struct platform_device *bus_devices[BUS_COUNT];

static void eeprom_take_message(struct eeprom_bus *bus, const struct i2c_msg *msg)
{
	u16 i;

	if (msg->flags & I2C_M_RD) {
		for (i = 0; i < msg->len; i++)
			msg->buf[i] = bus->memory[bus->pointer++];
		return;
	}
	if (msg->len == 0)
		return; /* an address probe: acknowledged, nothing changes */
	bus->pointer = msg->buf[0];
	for (i = 1; i < msg->len; i++)
		bus->memory[bus->pointer++] = msg->buf[i];
}

/* The core holds the adapter's bus lock around this call. */
static int eeprom_bus_xfer(struct i2c_adapter *adapter, struct i2c_msg *msgs, int count)
{
	struct eeprom_bus *bus = i2c_get_adapdata(adapter);
	int i;

	for (i = 0; i < count; i++) {
		if (msgs[i].flags & I2C_M_RECV_LEN)
			return -EOPNOTSUPP; /* SMBus block reads are not offered */
		if ((msgs[i].flags & I2C_M_TEN) || msgs[i].addr != EEPROM_ADDRESS)
			return -ENXIO;
		eeprom_take_message(bus, &msgs[i]);
	}
	return count;
}

static u32 eeprom_bus_functionality(struct i2c_adapter *adapter)
{
	return I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
}

static const struct i2c_algorithm eeprom_bus_algorithm = {
	.master_xfer = eeprom_bus_xfer,
	.functionality = eeprom_bus_functionality,
};

/* The adapter lives as long as the binding; the EEPROM as long as the module. */
static int eeprom_bus_probe(struct platform_device *pdev)
{
	struct i2c_adapter *adapter;

	if (pdev->id < 0 || pdev->id >= BUS_COUNT)
		return -ENODEV;
	adapter = devm_kzalloc(&pdev->dev, sizeof(*adapter), GFP_KERNEL);
	if (!adapter)
		return -ENOMEM;
	adapter->owner = THIS_MODULE;
	adapter->algo = &eeprom_bus_algorithm;
	adapter->nr = pdev->id;
	adapter->dev.parent = &pdev->dev;
	snprintf(adapter->name, sizeof(adapter->name), "vm-i2c-eeprom.%d", pdev->id);
	i2c_set_adapdata(adapter, &buses[pdev->id]);
	platform_set_drvdata(pdev, adapter);
	return i2c_add_numbered_adapter(adapter);
}

/* Returns once no one holds the adapter: an open /dev/i2c-N holds it. */
static int eeprom_bus_remove(struct platform_device *pdev)
{
	i2c_del_adapter(platform_get_drvdata(pdev));
	return 0;
}

static struct platform_driver eeprom_bus_driver = {
	.probe = eeprom_bus_probe,
	.remove = eeprom_bus_remove,
	.driver = { .name = "vm-i2c-eeprom" },
};

static void eeprom_buses_remove(int count)
{
	while (count-- > 0)
		platform_device_unregister(bus_devices[count]);
	platform_driver_unregister(&eeprom_bus_driver);
}

static int __init eeprom_buses_init(void)
{
	int i, err;

	for (i = 0; i < BUS_COUNT; i++)
		memset(buses[i].memory, 0xff, sizeof(buses[i].memory));
	err = platform_driver_register(&eeprom_bus_driver);
	if (err)
		return err;
	for (i = 0; i < BUS_COUNT; i++) {
		bus_devices[i] = platform_device_register_simple("vm-i2c-eeprom", i, NULL, 0);
		if (IS_ERR(bus_devices[i])) {
			err = PTR_ERR(bus_devices[i]);
			pr_err("i2c_eeprom_bus: cannot add bus %d: %d\n", i, err);
			eeprom_buses_remove(i);
			return err;
		}
	}
	return 0;
}

static void __exit eeprom_buses_exit(void)
{
	eeprom_buses_remove(BUS_COUNT);
}

module_init(eeprom_buses_init);
module_exit(eeprom_buses_exit);
MODULE_DESCRIPTION("I2C buses 0 and 1, each with a 256-byte EEPROM at 0x50");
MODULE_LICENSE("GPL");
