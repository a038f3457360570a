/*
 * A serial cable between two pseudo-terminals: ptypair LINK0 LINK1 makes two
 * pseudo-terminals, links LINK0 and LINK1 to their device paths, and copies
 * every byte written to one to the other, in both directions, until killed.
 * It returns once the links exist and keeps relaying in the background.
 *
 * Both ends start raw (no echo, no line editing), as a serial port does. The
 * relay keeps each end open itself, so an end that nobody else has open
 * still receives what the other end sends, as a port's receive buffer does.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

struct direction {
	char buf[4096];
	size_t len, off;
};

static void die(const char *what, const char *arg)
{
	fprintf(stderr, "ptypair: %s %s: %s\n", what, arg, strerror(errno));
	exit(1);
}

static int open_end(const char *link, int *slave)
{
	int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
	const char *path;
	struct termios raw;

	if (master < 0 || grantpt(master) || unlockpt(master) || !(path = ptsname(master)))
		die("cannot make a pseudo-terminal for", link);
	*slave = open(path, O_RDWR | O_NOCTTY);
	if (*slave < 0 || tcgetattr(*slave, &raw))
		die("cannot open", path);
	cfmakeraw(&raw);
	if (tcsetattr(*slave, TCSANOW, &raw))
		die("cannot set up", path);
	unlink(link);
	if (symlink(path, link))
		die("cannot link", link);
	return master;
}

/* Moves what one master has read on to the other; 0 once the pair is gone. */
static int pump(int from, int to, short revents_from, short revents_to, struct direction *d)
{
	ssize_t n;

	if (d->len == 0 && (revents_from & POLLIN)) {
		n = read(from, d->buf, sizeof(d->buf));
		if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO)
			return 0;
		d->len = n > 0 ? (size_t)n : 0;
		d->off = 0;
	}
	if (d->len > d->off && (revents_to & POLLOUT || d->off == 0)) {
		n = write(to, d->buf + d->off, d->len - d->off);
		if (n < 0 && errno != EAGAIN && errno != EINTR)
			return 0;
		if (n > 0)
			d->off += (size_t)n;
		if (d->off == d->len)
			d->len = d->off = 0;
	}
	return 1;
}

/* The relay outlives its caller, so it must not hold the caller's output open. */
static void detach_stdio(void)
{
	int null = open("/dev/null", O_RDWR);

	if (null < 0)
		return;
	dup2(null, 0);
	dup2(null, 1);
	dup2(null, 2);
	if (null > 2)
		close(null);
}

static void relay(int a, int b)
{
	struct direction ab = { .len = 0 }, ba = { .len = 0 };

	for (;;) {
		struct pollfd fds[2] = {
			{ a, (short)((ab.len ? 0 : POLLIN) | (ba.len ? POLLOUT : 0)), 0 },
			{ b, (short)((ba.len ? 0 : POLLIN) | (ab.len ? POLLOUT : 0)), 0 },
		};
		if (poll(fds, 2, -1) < 0) {
			if (errno == EINTR)
				continue;
			die("poll", "");
		}
		if (!pump(a, b, fds[0].revents, fds[1].revents, &ab) ||
		    !pump(b, a, fds[1].revents, fds[0].revents, &ba))
			die("relay", "");
	}
}

int main(int argc, char **argv)
{
	int slave0, slave1, a, b;
	pid_t pid;

	if (argc != 3) {
		fprintf(stderr, "usage: ptypair LINK0 LINK1\n");
		return 2;
	}
	a = open_end(argv[1], &slave0);
	b = open_end(argv[2], &slave1);
	pid = fork();
	if (pid < 0)
		die("fork", "");
	if (pid > 0)
		return 0;
	setsid();
	detach_stdio();
	relay(a, b);
	return 0;
}
