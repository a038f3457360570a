#ifndef GROUPS_CAN_TESTS_H
#define GROUPS_CAN_TESTS_H

#include <cstddef>

#include "../../hal/fixed_width_types.h"
#include "../../platform/sync.h"

// 1 while the reader and writer threads of the async test keep running; the
// test drops it to 0 to stop them. A platform flag, since the console thread
// writes it while both workers read it.
extern PlatformFlag CANThreadsRunning;

// Every CAN call goes to channel 1; frames are data (0) or remote (1) frames.
const int32_t kCanChannel = 1;
const int32_t kCanDataFrame = 0;
const int32_t kCanRemoteFrame = 1;

// The menu's text buffer: the typed data word, at most 49 characters.
const size_t kCanTextBufferSize = 50;
// The menu's receive buffer: whole result lines of eight bytes each, so that
// no result line shows a byte from outside it.
const size_t kCanReceiveBufferSize = 56;
// Bytes of one CAN frame: the async test's buffers.
const size_t kCanFrameBytes = 8;

struct CANReadThreadParams {
    int32_t length;   // bytes asked of every CANRead
    uint8_t *buffer;  // the test's receive buffer
};

struct CANWriteThreadParams {
    int32_t length;   // bytes given to every CANWrite
    uint8_t *buffer;  // the test's transmit buffer
    uint32_t delay;   // pause after every write attempt, in ms
};

// CAN frames on channel 1 (main-menu item 10).
class CanTests {
public:
    void CANTestMenu();

    // Packs text into packed[0 .. size): each byte from two characters, the
    // low four bits of the first in the high nibble, of the second in the low
    // one; an unpaired last character pairs with the terminating NUL. Bytes
    // past the end of the text are left as they are. Returns the number of
    // packed bytes before the first zero byte.
    static int32_t PackCANData(const char *text, uint8_t *packed, size_t size);

    // The single-frame tests: 1 for success, 0 for failure. text is the
    // menu's text buffer (kCanTextBufferSize bytes), buffer its receive
    // buffer (kCanReceiveBufferSize bytes).
    int CANWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, const char *text);
    int CANReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t length, uint8_t *buffer);
    int CANRemoteWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, int32_t length, char *text);
    int CANRemoteReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t length, uint8_t *buffer);
    int CANFilterWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, int32_t filter, int32_t mask,
                           int32_t length, char *text);
    int CANFilterReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t filter, int32_t mask,
                          int32_t length, uint8_t *buffer);

    // Reads and writes frames on two threads until Space is pressed. Ends
    // the process when a thread record or a thread cannot be created.
    int CANAsyncReadWriteTest(int32_t mode, uint32_t bitRate, int32_t id, int32_t length, const char *text,
                              int32_t timeout, uint32_t delay);
    static uint32_t CANReadThread(void *params);
    static uint32_t CANWriteThread(void *params);

private:
    struct MenuValues;
    void RunWriteTest(MenuValues &values);
    void RunReadTest(MenuValues &values);
    void RunRemoteWriteTest(MenuValues &values);
    void RunRemoteReadTest(MenuValues &values);
    void RunFilterWriteTest(MenuValues &values);
    void RunFilterReadTest(MenuValues &values);
    void RunAsyncReadWriteTest(MenuValues &values);
};

#endif
