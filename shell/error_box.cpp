#include "error_box.h"

#include <string>

#include "../platform/console.h"
#include "../platform/system.h"
#include "dialogue.h"

void ShowLastErrorBox(const char *functionName) {
    uint32_t code = PlatformGetLastError();
    std::string text = std::string(functionName) + " failed with error " +
                       DecimalText(static_cast<int32_t>(code)) + ": " + PlatformErrorText(code);
    PlatformMessageBox(text.c_str(), "Error", kMessageBoxOk);
}
