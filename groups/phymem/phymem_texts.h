// The phymem tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_PHYMEM_PHYMEM_TEXTS_H
#define GROUPS_PHYMEM_PHYMEM_TEXTS_H

const char kRegisterAddressPrompt[] = "Enter Register Address (e.g. 0x0209c700): ";
const char kRegisterChannelPrompt[] = "Enter Register Channel Pin (e.g. 1 to 9): ";
const char kRegisterValuePrompt[] = "Enter Register Value Pin (e.g. 0x1): ";
const char kRegisterReadAddressPrompt[] = "Enter Register Address (e.g. 0x0209c700); ";
const char kAsyncAddressPrompt1[] = "Enter Register Address 1 (e.g. 0x0209c700): ";
const char kAsyncAddressPrompt2[] = "Enter Register Address 2(e.g. 0x0209c700): ";
const char kAsyncAddressPrompt3[] = "Enter Register Address 3(e.g. 0x0209c700): ";
const char kAsyncAddressPrompt4[] = "Enter Register Address 4(e.g. 0x0209c700): ";
const char kRegisterWriteTitle[] = "Write Register Test";
const char kRegisterReadTitle[] = "Read Register Test";
const char kRegisterWriteReturnTitle[] = "Write and Return Register Test";
const char kRegisterThreadsTitle[] = "Asyscron Write and Read Register Test";

#endif
