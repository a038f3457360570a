// SPDX-License-Identifier: GPL-2.0
/*
 * A backlight with no hardware behind it: /sys/class/backlight/vm-backlight,
 * levels 0 to 100 (so that a 0..255 scale must be converted), starting at
 * 100. The level written to "brightness" is what "actual_brightness" reads.
 */
#include <linux/backlight.h>
#include <linux/err.h>
#include <linux/module.h>

#define MAX_LEVEL 100

static struct backlight_device *backlight;

static int sim_backlight_update(struct backlight_device *bd)
{
	return 0; /* the class keeps the level in bd->props */
}

static int sim_backlight_get(struct backlight_device *bd)
{
	return bd->props.brightness;
}

static const struct backlight_ops sim_backlight_ops = {
	.update_status = sim_backlight_update,
	.get_brightness = sim_backlight_get,
};

static int __init sim_backlight_init(void)
{
	struct backlight_properties props = {
		.type = BACKLIGHT_RAW,
		.max_brightness = MAX_LEVEL,
		.brightness = MAX_LEVEL,
	};

	backlight = backlight_device_register("vm-backlight", NULL, NULL, &sim_backlight_ops, &props);
	return PTR_ERR_OR_ZERO(backlight);
}

static void __exit sim_backlight_exit(void)
{
	backlight_device_unregister(backlight);
}

module_init(sim_backlight_init);
module_exit(sim_backlight_exit);
MODULE_DESCRIPTION("A backlight device without hardware, levels 0 to 100");
MODULE_LICENSE("GPL");
