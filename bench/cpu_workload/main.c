/* Guest side of the processor benchmark: the start code calls main over and
 * over; each call runs one round and publishes the running checksum, then
 * the number of rounds done, at the fixed address the benchmark reads.
 */
#include "workload.h"

/* [0] rounds done, [1] checksum over those rounds, [2] set by the start
 * code on an unexpected exception (placed by the linker). */
extern volatile uint32_t bench_result[3];

int main(void) {
    uint32_t round = bench_result[0];
    uint32_t acc = wl_accumulate(bench_result[1], wl_round(round));
    bench_result[1] = acc;
    bench_result[0] = round + 1;
    return 0;
}
