// Total volume of the external sound library. No library runs yet: nothing to set.
#pragma once

inline void X68Sound_TotalVolume(int) {}
