// The i2c tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_I2C_I2C_TEXTS_H
#define GROUPS_I2C_I2C_TEXTS_H

const char kI2CDevicePrompt[] = "Enter I2C Device Number (0,1): ";
const char kI2CRatePrompt[] = "Enter I2C Device Bitrate (0=100|1=400|2=800|3=1600|4=2400|5=3200 kBits): ";
const char kI2CAddressPrompt[] = "Enter I2C Device Address (e.g. 50 = 0x50): ";
const char kI2CRegisterPrompt[] = "Enter I2C Register Address (e.g. 0 = 0x00): ";
const char kI2CDataPrompt[] = "Enter I2C Data (e.g. 1 = 0x01): ";
const char kI2CDataLengthPrompt[] = "Enter I2C Data Len (e.g. 2 = 0x02): ";
const char kI2CWriteTitle[] = "I2C Write Test";
const char kI2CReadTitle[] = "I2C Read Test";
const char kI2CWriteFlashTitle[] = "I2C Write Flash Test";
const char kI2CReadFlashTitle[] = "I2C Read Flash Test";

#endif
