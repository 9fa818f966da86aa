// Any keys held tick after tick, from the fuzzer's input: the board's invariants hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    srand(data[0]);
    size_t next = 2;
    int kills = 0;
    const std::string fault = playRandomGame(data[0] & 1, data[1] & 1 ? 160 : 320,
                                             [&](const CollisionSystem *) { return next < size ? data[next++] : 0; }, size, kills);
    if (!fault.empty()) {
        fprintf(stderr, "%s\n", fault.c_str());
        abort();
    }
    return 0;
}
