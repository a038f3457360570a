/* GPIO through the character device (libgpiod), against gpio-sim's sysfs. */
#define _GNU_SOURCE
#include <gpiod.h>
#include <stdio.h>
#include <string.h>

#include "check.h"

#define CHIP_LABEL "vm-gpio"
#define CONSUMER "vm-smoke"

static int sim_attribute(unsigned int offset, const char *name, char *buf, size_t size)
{
	char path[96];

	snprintf(path, sizeof(path), "/run/gpio-sim/sim_gpio%u/%s", offset, name);
	return read_line(path, buf, size);
}

static int set_pull(unsigned int offset, const char *pull)
{
	char path[96];

	snprintf(path, sizeof(path), "/run/gpio-sim/sim_gpio%u/pull", offset);
	return write_text(path, pull);
}

/* The line named NAME on the chip labelled vm-gpio, at OFFSET. */
static struct gpiod_line *find_line(struct why *why, const char *name, unsigned int offset)
{
	struct gpiod_line *line = gpiod_line_find(name);

	if (!line) {
		fail_errno(why, name);
		return NULL;
	}
	if (strcmp(gpiod_chip_label(gpiod_line_get_chip(line)), CHIP_LABEL) != 0 ||
	    gpiod_line_offset(line) != offset) {
		fail(why, "%s is offset %u of %s", name, gpiod_line_offset(line),
		     gpiod_chip_label(gpiod_line_get_chip(line)));
		gpiod_line_close_chip(line);
		return NULL;
	}
	return line;
}

static int output_seen_as(struct why *why, struct gpiod_line *line, int level)
{
	char value[8];

	if (gpiod_line_set_value(line, level))
		return fail_errno(why, "setting the level");
	if (sim_attribute(gpiod_line_offset(line), "value", value, sizeof(value)))
		return fail_errno(why, "reading sim_gpio value");
	if (value[0] != '0' + level)
		return fail(why, "set %d, sysfs shows %s", level, value);
	if (gpiod_line_get_value(line) != level)
		return fail(why, "set %d, the line reads back otherwise", level);
	return 1;
}

int check_gpio_output(struct why *why)
{
	struct gpiod_line *line = find_line(why, "GPIO6", 5);
	int ok;

	if (!line)
		return 0;
	ok = gpiod_line_request_output(line, CONSUMER, 0) == 0 || fail_errno(why, "requesting GPIO6 as output");
	ok = ok && output_seen_as(why, line, 1) && output_seen_as(why, line, 0);
	gpiod_line_close_chip(line);
	return ok;
}

static int input_reads(struct why *why, struct gpiod_line *line, const char *pull, int level)
{
	int value;

	if (set_pull(gpiod_line_offset(line), pull))
		return fail_errno(why, "writing sim_gpio pull");
	value = gpiod_line_get_value(line);
	if (value != level)
		return fail(why, "with %s the input reads %d", pull, value);
	return 1;
}

int check_gpio_pull(struct why *why)
{
	struct gpiod_line *line = find_line(why, "GPIO1", 0);
	int ok;

	if (!line)
		return 0;
	ok = gpiod_line_request_input(line, CONSUMER) == 0 || fail_errno(why, "requesting GPIO1 as input");
	ok = ok && input_reads(why, line, "pull-up", 1) && input_reads(why, line, "pull-down", 0);
	gpiod_line_close_chip(line);
	return ok;
}

static int edge_follows(struct why *why, struct gpiod_line *line, const char *pull, int type)
{
	struct timespec timeout = { 1, 0 };
	struct gpiod_line_event event;

	if (set_pull(gpiod_line_offset(line), pull))
		return fail_errno(why, "writing sim_gpio pull");
	switch (gpiod_line_event_wait(line, &timeout)) {
	case 0:
		return fail(why, "no event within 1 s after %s", pull);
	case 1:
		break;
	default:
		return fail_errno(why, "waiting for an event");
	}
	if (gpiod_line_event_read(line, &event))
		return fail_errno(why, "reading the event");
	if (event.event_type != type)
		return fail(why, "%s gave event type %d", pull, event.event_type);
	return 1;
}

int check_gpio_edges(struct why *why)
{
	struct gpiod_line *line = find_line(why, "GPIO2", 1);
	int ok;

	if (!line)
		return 0;
	ok = set_pull(1, "pull-down") == 0 || fail_errno(why, "writing sim_gpio pull");
	ok = ok && (gpiod_line_request_both_edges_events(line, CONSUMER) == 0 ||
		    fail_errno(why, "requesting edge events on GPIO2"));
	ok = ok && edge_follows(why, line, "pull-up", GPIOD_LINE_EVENT_RISING_EDGE) &&
	     edge_follows(why, line, "pull-down", GPIOD_LINE_EVENT_FALLING_EDGE);
	gpiod_line_close_chip(line);
	return ok;
}
