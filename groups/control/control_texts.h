// The control tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_CONTROL_CONTROL_TEXTS_H
#define GROUPS_CONTROL_CONTROL_TEXTS_H

const char kRebootTitle[] = "Reboot Device";
const char kKitlTitle[] = "Restart KITL Connection";
const char kKitlPowerPrompt[] = "Enter KITL Power Status: (0 = Off, 1 = On)";

#endif
