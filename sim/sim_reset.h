// Power-on state of each part of the simulated board, for SoftReset: each
// part puts its volatile state back as a reboot would.
#ifndef SIM_SIM_RESET_H
#define SIM_SIM_RESET_H

void SimGpioReset();
void SimPhysicalMemoryReset();
void SimSpiReset();
void SimUartReset();
void SimCanReset();

#endif
