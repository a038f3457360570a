// The gpio tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_GPIO_GPIO_TEXTS_H
#define GROUPS_GPIO_GPIO_TEXTS_H

const char kLoopbackTitle[] = "Gpio Loopback Test";
const char kLoopbackFirstPinPrompt[] = "Enter Gpio1 Pin (e.g. 1 = GPIO_A): ";
const char kLoopbackSecondPinPrompt[] = "Enter Gpio2 Pin (e.g. 2 = GPIO_B): ";
const char kLedTitle[] = "Gpio LED Test";
const char kLedPinPrompt[] = "Enter Gpio LED Pin (e.g. 1 = LED1): ";
const char kLedStatePrompt[] = "Enter Gpio LED State (e.g. 1|0): ";
const char kSetPinTitle[] = "Gpio Set Pin State";
const char kPinPrompt[] = "Enter Gpio Pin (e.g. 1 = GPIO_A): ";
const char kPinStatePrompt[] = "Enter Gpio State (e.g. 1|0): ";
const char kGetPinTitle[] = "Gpio Get Pin State";
const char kPwmPinTitle[] = "Gpio PWM Pin State";
const char kIntPrioPinTitle[] = "Gpio INT_PRIO Pin State";
const char kOnOffStatePrompt[] = "Enter Gpio Pin State (e.g. 0 = Off, 1 = On): ";
const char kInterruptTitle[] = "GPIO Button Interrupt Test";
const char kInterruptPinPrompt[] = "Enter Input Gpio Pin (e.g. 1 = GPIO_A): ";
const char kInterruptTypePrompt[] = "Enter ISR Type (e.g. 0=Low, 1=High, 2=Rise, 3=Fall, 4=Both, 5=None): ";
const char kInterruptBoxCaption[] = "Interrupt Detect";
const char kInterruptBoxTextStart[] = "Interrupt Event Detected (Count: ";
const char kInterruptBoxTextEnd[] = "), Continue?";
const char kPollingTitle[] = "Gpio Button Polling Test";

#endif
