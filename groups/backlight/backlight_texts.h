// The backlight tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_BACKLIGHT_BACKLIGHT_TEXTS_H
#define GROUPS_BACKLIGHT_BACKLIGHT_TEXTS_H

const char kBrightnessTitle[] = "Set Backlight Brightness Test";
const char kBrightnessLevelPrompt[] = "Enter Backlight Level: (0 ... 255): ";
const char kSuspendTitle[] = "Set Backlight Suspend Test";
const char kSuspendTimePrompt[] = "Enter Backlight Suspend Time: (0 ... 360): ";
const char kSuspendEnablePrompt[] = "Enter Backlight Suspend Enable: (0 = On, 1 = Off): ";

#endif
