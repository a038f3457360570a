/* The serial pair /dev/ttyV0 and /dev/ttyV1 through termios. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "check.h"

static int open_port(struct why *why, const char *path)
{
	struct termios settings;
	int fd = open(path, O_RDWR | O_NOCTTY);

	if (fd < 0) {
		fail_errno(why, path);
		return -1;
	}
	if (tcgetattr(fd, &settings) == 0) {
		cfmakeraw(&settings);
		cfsetspeed(&settings, B115200);
		settings.c_cflag |= PARENB | CSTOPB;
	}
	if (tcsetattr(fd, TCSANOW, &settings) || tcflush(fd, TCIOFLUSH)) {
		fail_errno(why, "setting up the port");
		close(fd);
		return -1;
	}
	return fd;
}

/* Reads COUNT bytes arriving within a second. */
static int receive(struct why *why, int fd, char *buf, size_t count)
{
	size_t got = 0;

	while (got < count) {
		struct pollfd pfd = { fd, POLLIN, 0 };
		ssize_t n;

		if (poll(&pfd, 1, 1000) <= 0)
			return fail(why, "%zu of %zu bytes within 1 s", got, count);
		n = read(fd, buf + got, count - got);
		if (n <= 0)
			return fail_errno(why, "reading");
		got += (size_t)n;
	}
	return 1;
}

static int crosses(struct why *why, int from, int to, const char *text)
{
	char got[32] = "";
	size_t length = strlen(text);

	if (write(from, text, length) != (ssize_t)length)
		return fail_errno(why, "writing");
	if (!receive(why, to, got, length))
		return 0;
	if (memcmp(got, text, length) != 0)
		return fail(why, "sent %s, received %.*s", text, (int)length, got);
	return 1;
}

int check_serial_pair(struct why *why)
{
	int a = open_port(why, "/dev/ttyV0"), b = a < 0 ? -1 : open_port(why, "/dev/ttyV1"), ok;

	ok = a >= 0 && b >= 0 && crosses(why, a, b, "ping\r\n\x01\xff") && crosses(why, b, a, "pong\n");
	if (a >= 0)
		close(a);
	if (b >= 0)
		close(b);
	return ok;
}
