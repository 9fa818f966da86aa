/* Preloaded into the game by the end-to-end tests: time() answers with the value
 * of VOK_FIXED_TIME, so a test chooses the random seed without touching the game. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

time_t time(time_t *result)
{
    const char *fixed = getenv("VOK_FIXED_TIME");
    time_t now;
    if (fixed) {
        now = (time_t)strtoll(fixed, NULL, 10);
    } else {
        /* Without the variable the game keeps the real clock. */
        time_t (*realTime)(time_t *) = (time_t (*)(time_t *))dlsym(RTLD_NEXT, "time");
        now = realTime(NULL);
    }
    if (result)
        *result = now;
    return now;
}
