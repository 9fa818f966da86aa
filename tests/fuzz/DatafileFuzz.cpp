// Any bytes as a datafile of blocks or of fonts: what the check lets through
// loads, and its objects 0 to 3 draw, as sprites or as text.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "DatafileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static BITMAP *canvas = (install_allegro(SYSTEM_NONE, &errno, atexit), set_color_depth(24), create_bitmap(64, 64));
    for (int type : {DAT_RLE_SPRITE, DAT_FONT}) {
        DATAFILE *datafile = datafileLoadBytes(data, size, type);
        for (int i = 0; datafile && i < 4; i++) {
            if (type == DAT_FONT)
                textout_ex(canvas, static_cast<FONT *>(datafile[i].dat), "Score: 0", 0, 0, 255, -1);
            else
                draw_rle_sprite(canvas, static_cast<RLE_SPRITE *>(datafile[i].dat), 20, 20);
        }
        if (datafile)
            unload_datafile(datafile);
        else if (datafileCheck(data, size, type))
            abort();
    }
    return 0;
}
