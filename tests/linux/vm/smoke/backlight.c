/* The backlight's sysfs attributes. */
#define _GNU_SOURCE
#include <stdlib.h>
#include <string.h>

#include "check.h"

#define BACKLIGHT "/sys/class/backlight/vm-backlight/"

static int attribute_is(struct why *why, const char *name, const char *expected)
{
	char value[16];

	if (read_line(name, value, sizeof(value)))
		return fail_errno(why, name);
	if (strcmp(value, expected) != 0)
		return fail(why, "%s reads %s, not %s", name, value, expected);
	return 1;
}

int check_backlight(struct why *why)
{
	if (!attribute_is(why, BACKLIGHT "max_brightness", "100"))
		return 0;
	if (write_text(BACKLIGHT "brightness", "40"))
		return fail_errno(why, "writing brightness 40");
	if (!attribute_is(why, BACKLIGHT "brightness", "40") || !attribute_is(why, BACKLIGHT "actual_brightness", "40"))
		return 0;
	if (write_text(BACKLIGHT "brightness", "101") == 0)
		return fail(why, "brightness 101 (above max_brightness) was accepted");
	return attribute_is(why, BACKLIGHT "brightness", "40");
}
