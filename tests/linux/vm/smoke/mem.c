/* /dev/mem: the reserved window at 0x1f000000 and the RAM around it. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <sys/mman.h>
#include <unistd.h>

#include "check.h"

#define WINDOW 0x1f000000u
#define WINDOW_SIZE 0x10000u
#define RAM_OUTSIDE 0x01000000u

static int open_mem(struct why *why)
{
	int fd = open("/dev/mem", O_RDWR | O_SYNC);

	if (fd < 0)
		fail_errno(why, "/dev/mem");
	return fd;
}

static int words_hold(struct why *why, volatile uint32_t *words)
{
	static const size_t last = WINDOW_SIZE / 4 - 1;

	words[0] = 0xdeadbeef;
	words[last] = 0x0000ab01;
	if (words[0] != 0xdeadbeef || words[last] != 0x0000ab01)
		return fail(why, "wrote deadbeef and 0000ab01, read %08x and %08x", words[0], words[last]);
	if (words[1] != 0)
		return fail(why, "an unwritten word reads %08x", words[1]);
	return 1;
}

int check_mem_window(struct why *why)
{
	int fd = open_mem(why), ok;
	void *map;

	if (fd < 0)
		return 0;
	map = mmap(NULL, WINDOW_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd, WINDOW);
	if (map == MAP_FAILED) {
		close(fd);
		return fail_errno(why, "mapping the window");
	}
	ok = words_hold(why, map);
	munmap(map, WINDOW_SIZE);
	close(fd);
	return ok;
}

int check_mem_outside_window(struct why *why)
{
	int fd = open_mem(why), ok = 1;
	uint32_t word;
	void *map;

	if (fd < 0)
		return 0;
	map = mmap(NULL, 4096, PROT_READ, MAP_SHARED, fd, RAM_OUTSIDE);
	if (map != MAP_FAILED) {
		munmap(map, 4096);
		ok = fail(why, "RAM at %#x could be mapped", RAM_OUTSIDE);
	} else if (errno != EPERM) {
		ok = fail_errno(why, "mapping RAM failed, but not with EPERM");
	}
	if (ok && pread(fd, &word, sizeof(word), RAM_OUTSIDE) >= 0)
		ok = fail(why, "RAM at %#x could be read", RAM_OUTSIDE);
	else if (ok && errno != EPERM)
		ok = fail_errno(why, "reading RAM failed, but not with EPERM");
	close(fd);
	return ok;
}
