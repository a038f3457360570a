// The touch tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_TOUCH_TOUCH_TEXTS_H
#define GROUPS_TOUCH_TOUCH_TEXTS_H

const char kClearTouchTitle[] = "Clear Touch Data Test";
const char kSetTouchTitle[] = "Set Touch Data Test";

#endif
