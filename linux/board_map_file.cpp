#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "board_map.h"

namespace {

bool Fail(std::string &why, const std::string &reason) {
    why = reason;
    return false;
}

std::string CannotRead() { return std::string("cannot read it (") + std::strerror(errno) + ")"; }

std::string TooLarge() { return "larger than " + std::to_string(kMaxBoardMapBytes) + " bytes"; }

// Reads to the end, or to one byte past the limit: a file that grew after
// it was looked at.
bool ReadAtMost(int fd, std::string &text, std::string &why) {
    char buffer[8192];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(why, CannotRead());
        if (got == 0) return true;
        text.append(buffer, static_cast<size_t>(got));
        if (text.size() > kMaxBoardMapBytes) return Fail(why, TooLarge());
    }
}

}  // namespace

bool ReadBoardMapFile(const std::string &path, std::string &text, std::string &why) {
    // Opened without waiting: a FIFO with no writer would block the open.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Fail(why, CannotRead());
    struct stat status;
    bool ok = false;
    text.clear();
    if (fstat(fd, &status) != 0) {
        ok = Fail(why, CannotRead());
    } else if (!S_ISREG(status.st_mode)) {
        ok = Fail(why, S_ISDIR(status.st_mode) ? "a folder, not a file" : "not a regular file");
    } else if (static_cast<unsigned long long>(status.st_size) > kMaxBoardMapBytes) {
        ok = Fail(why, TooLarge());
    } else {
        ok = ReadAtMost(fd, text, why);
    }
    close(fd);
    return ok;
}
