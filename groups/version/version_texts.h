// The version tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_VERSION_VERSION_TEXTS_H
#define GROUPS_VERSION_VERSION_TEXTS_H

const char kLibraryVersionTitle[] = "Get QZHalLib Version Test";
const char kBspVersionTitle[] = "Get BSP Version Test";
const char kImageVersionTitle[] = "Get WinCE Image Version Test";

#endif
