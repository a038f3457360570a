// The can tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_CAN_CAN_TEXTS_H
#define GROUPS_CAN_CAN_TEXTS_H

const char kCanModePrompt[] = "Enter CAN Mode (CAN Mode: 0 = Standard, 1 = Extended ): ";
const char kCanIdPrompt[] = "Enter CAN ID (CAN ID: 11bit -> max 0x1FF, 29bit -> max 0xFFFFFF ): ";
const char kCanFrequencyPrompt[] = "Enter CAN Frequency (20000 ... 1000000 (Bit/s)): ";
const char kCanPrioPrompt[] = "Enter CAN Message PRIO (0 ... 255): ";
const char kCanDataPrompt[] = "Enter CAN Data (e.g. abc): ";
const char kCanLengthPrompt[] = "Enter CAN Data Length (1 ... 8): ";
const char kCanFilterPrompt[] = "Enter CAN Message Filter (e.g. 0x25): ";
const char kCanMaskPrompt[] = "Enter CAN Message Filter ID Mask (e.g. 0x1FF): ";
const char kCanAsyncDataPrompt[] = "Enter CAN Write Data (e.g. abc): ";
const char kCanAsyncLengthPrompt[] = "Enter CAN Read Data Length (1 ... 8): ";
const char kCanAsyncTimeoutPrompt[] = "Enter CAN Timeout (e.g. 1000 = 1s (msec)): ";
const char kCanAsyncDelayPrompt[] = "Enter CAN Write Loop Delay (e.g. 1000 = 1s (msec)): ";
const char kCanWriteTitle[] = "CAN Write Test";
const char kCanReadTitle[] = "CAN Read Test";
const char kCanRemoteWriteTitle[] = "CAN Remote Write Test";
const char kCanRemoteReadTitle[] = "CAN Remote Read Test";
const char kCanFilterWriteTitle[] = "CAN Filter Write Test";
const char kCanFilterReadTitle[] = "CAN Filter Read Test";
const char kCanAsyncTitle[] = "CAN Async Read/Write Test";

#endif
