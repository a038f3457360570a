// Asks one prompt per argument and prints what it read, so that the tests
// can drive the dialogue's input shapes with scripted input:
//   dec, udec, hex, uhex    a number in that base ("value: N")
//   word:N                  a word into a buffer of N bytes ("word: [text]")
//   space                   the Space-key check ("space: 1" or "space: 0")
//   yesno                   a Yes/No message box ("answer: N")
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../../platform/console.h"
#include "../../shell/dialogue.h"

int main(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char *ask = argv[i];
        if (std::strcmp(ask, "dec") == 0) {
            std::printf("value: %d\n", ReadDecimal("dec? "));
        } else if (std::strcmp(ask, "udec") == 0) {
            std::printf("value: %u\n", ReadDecimalUnsigned("udec? "));
        } else if (std::strcmp(ask, "hex") == 0) {
            std::printf("value: %d\n", ReadHex("hex? "));
        } else if (std::strcmp(ask, "uhex") == 0) {
            std::printf("value: %u\n", ReadHexUnsigned("uhex? "));
        } else if (std::strncmp(ask, "word:", 5) == 0) {
            std::vector<char> buffer(std::strtoul(ask + 5, nullptr, 10), 'X');
            ReadWord("word? ", buffer.data(), buffer.size());
            std::printf("word: [%s]\n", buffer.data());
        } else if (std::strcmp(ask, "space") == 0) {
            std::printf("space: %d\n", PlatformSpaceKeyPressed() ? 1 : 0);
        } else if (std::strcmp(ask, "yesno") == 0) {
            std::printf("answer: %d\n", PlatformMessageBox("Go on?", "Probe", kMessageBoxYesNo));
        }
        std::fflush(stdout);
    }
    return 0;
}
