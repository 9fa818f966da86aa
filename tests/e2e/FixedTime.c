/* Preloaded into the game: time() answers VOK_FIXED_TIME, so a test picks the seed. */
#include <stdlib.h>
#include <time.h>

time_t time(time_t *result)
{
    time_t now = (time_t)strtoll(getenv("VOK_FIXED_TIME"), NULL, 10);
    return result ? (*result = now) : now;
}
