// Command line of the asset generator: the build calls it once per kind of
// asset, then packs the images with dat.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "AssetTool.h"

static int assetUsage()
{
    std::fprintf(stderr,
                 "usage: assetTool theme <0|1> <dir>\n"
                 "       assetTool icon <size> <file.png>\n"
                 "       assetTool font <font.otf> <pixel size> <file.pcx>\n"
                 "       assetTool sounds <dir>\n");
    return 2;
}

bool assetWriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return assetUsage();
    const std::string command = argv[1];
    bool written;
    if (command == "theme" && argc == 4)
        written = spriteWriteTheme(std::atoi(argv[2]), argv[3]);
    else if (command == "icon" && argc == 4)
        written = spriteWriteIcon(std::atoi(argv[2]), argv[3]);
    else if (command == "font" && argc == 5)
        written = fontWriteSheet(argv[2], std::atoi(argv[3]), argv[4]);
    else if (command == "sounds" && argc == 3)
        written = soundWriteBlockFall(std::string(argv[2]) + "/blockFall.wav") &&
                  soundWriteBlockKilled(std::string(argv[2]) + "/blockKilled.wav");
    else
        return assetUsage();
    return written ? 0 : 1;
}
