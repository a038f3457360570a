// The fixed-width integer types and the limits of the 32-bit ones, for every
// compiler the program is built with. They come from <stdint.h> where the
// compiler has it; Visual C++ before 2010 (the board's compiler) has none, so
// they are defined here for it.
#ifndef HAL_FIXED_WIDTH_TYPES_H
#define HAL_FIXED_WIDTH_TYPES_H

#if defined(_MSC_VER) && _MSC_VER < 1600
typedef signed char int8_t;
typedef unsigned char uint8_t;
typedef short int16_t;
typedef unsigned short uint16_t;
typedef int int32_t;
typedef unsigned int uint32_t;
typedef __int64 int64_t;
typedef unsigned __int64 uint64_t;
#else
#include <stdint.h>
#endif

#ifndef INT32_MIN
#define INT32_MIN (-2147483647 - 1)
#endif
#ifndef INT32_MAX
#define INT32_MAX 2147483647
#endif
#ifndef UINT32_MAX
#define UINT32_MAX 0xffffffffU
#endif

#endif
