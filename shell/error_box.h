#ifndef SHELL_ERROR_BOX_H
#define SHELL_ERROR_BOX_H

// Shows the "Error" message box for a failed system call: "<functionName>
// failed with error <code>: <system text>", from the calling thread's last
// system error. Returns once the operator has closed it.
void ShowLastErrorBox(const char *functionName);

#endif
