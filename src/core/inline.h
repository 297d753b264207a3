// Forced inlining for the few helpers that sit on every instruction's path.
#pragma once

#if defined(__GNUC__)
#define ZOLM_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ZOLM_ALWAYS_INLINE inline
#endif
