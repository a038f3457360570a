/* CAN through SocketCAN raw sockets on vcan0. */
#define _GNU_SOURCE
#include <linux/can.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "check.h"

static int open_can(struct why *why)
{
	struct sockaddr_can address;
	int fd = socket(PF_CAN, SOCK_RAW, CAN_RAW);

	if (fd < 0) {
		fail_errno(why, "socket(PF_CAN)");
		return -1;
	}
	memset(&address, 0, sizeof(address));
	address.can_family = AF_CAN;
	address.can_ifindex = (int)if_nametoindex("vcan0");
	if (address.can_ifindex == 0 || bind(fd, (struct sockaddr *)&address, sizeof(address))) {
		fail_errno(why, "binding to vcan0");
		close(fd);
		return -1;
	}
	return fd;
}

static int send_frame(struct why *why, int fd, canid_t id, __u8 length)
{
	struct can_frame frame;
	__u8 i;

	memset(&frame, 0, sizeof(frame));
	frame.can_id = id;
	frame.len = length;
	for (i = 0; i < length; i++)
		frame.data[i] = (__u8)(0x11 * (i + 1));
	if (write(fd, &frame, sizeof(frame)) != sizeof(frame))
		return fail_errno(why, "sending a frame");
	return 1;
}

/* The next frame within TIMEOUT_MS, or 0 with why set. */
static int receive_frame(struct why *why, int fd, struct can_frame *frame, int timeout_ms)
{
	struct pollfd pfd = { fd, POLLIN, 0 };
	int ready = poll(&pfd, 1, timeout_ms);

	if (ready < 0)
		return fail_errno(why, "poll");
	if (ready == 0)
		return fail(why, "no frame within %d ms", timeout_ms);
	if (read(fd, frame, sizeof(*frame)) != sizeof(*frame))
		return fail_errno(why, "reading a frame");
	return 1;
}

static int frame_arrives(struct why *why, int tx, int rx, canid_t id, __u8 length)
{
	struct can_frame frame;

	if (!send_frame(why, tx, id, length) || !receive_frame(why, rx, &frame, 1000))
		return 0;
	if (frame.can_id != id || frame.len != length || (length && frame.data[length - 1] != 0x11 * length))
		return fail(why, "sent id %x length %u, received id %x length %u", id, length, frame.can_id, frame.len);
	return 1;
}

int check_can_frames(struct why *why)
{
	int tx = open_can(why), rx = tx < 0 ? -1 : open_can(why), ok;

	ok = tx >= 0 && rx >= 0 && frame_arrives(why, tx, rx, 0x123, 8) &&
	     frame_arrives(why, tx, rx, 0x1abcdef0 | CAN_EFF_FLAG, 3) && frame_arrives(why, tx, rx, 0x26 | CAN_RTR_FLAG, 0);
	if (tx >= 0)
		close(tx);
	if (rx >= 0)
		close(rx);
	return ok;
}

/* A receiver filtering on id 0x25 sees it and not 0x26. */
int check_can_filter(struct why *why)
{
	struct can_filter filter = { 0x25, CAN_SFF_MASK | CAN_EFF_FLAG | CAN_RTR_FLAG };
	struct can_frame frame;
	struct why none;
	int tx = open_can(why), rx = tx < 0 ? -1 : open_can(why), ok;

	ok = tx >= 0 && rx >= 0;
	ok = ok && (setsockopt(rx, SOL_CAN_RAW, CAN_RAW_FILTER, &filter, sizeof(filter)) == 0 ||
		    fail_errno(why, "CAN_RAW_FILTER"));
	ok = ok && send_frame(why, tx, 0x26, 2) && frame_arrives(why, tx, rx, 0x25, 4);
	if (ok && receive_frame(&none, rx, &frame, 50))
		ok = fail(why, "frame %x passed the filter", frame.can_id);
	if (tx >= 0)
		close(tx);
	if (rx >= 0)
		close(rx);
	return ok;
}
