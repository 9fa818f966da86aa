// Reads a datafile byte for byte as Allegro's loader would, packed parts unpacked
// the same way, and checks every count and size the loader trusts before it does:
// a cut or garbled file would overrun its buffers, and any object it fails to
// load makes it free that object's datafile twice. Then hands the loader those
// very bytes, so that nothing can change the file in between.
#include "DatafileCheck.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "Platform.h"
#include "SafeFile.h"

namespace {

// The memory one datafile may make the game take: the file, and all the loader
// allocates from it. The game's own art is charged under 100 KB a file; this is
// hundreds of times that, yet little for a desktop to spare. Without it a small
// file could make the loader take gigabytes: a big sprite packs to a few bytes.
const long budgetBytes = 64L << 20;
// The charges: a record the loader keeps (an object, a property, a glyph, a range,
// a track) with the allocator's overhead, and two for an image, whose header and
// pixels are allocated apart; a line of an image; and a pixel, at 4 bytes whatever
// the depth, once as read, once at the screen's depth, and twice two words while a
// sprite is coded back into runs.
const long recordCost = 128, imageCost = 2 * recordCost, lineCost = 32, pixelCost = 24;
// The loader adds each property by walking those before it.
const long maxProperties = 256;
const long maxPropertyBytes = 1L << 20;
const long maxObjects = 1L << 16;
const long maxSide = 4096;
const int maxNesting = 8;
const int gameObjects = 4;

// A stream of bytes, -1 at its end.
struct Stream {
    virtual ~Stream() = default;
    virtual int get() = 0;
    // A big-endian value of `width` bytes, or -1 when the stream ends first.
    long read(int width)
    {
        long value = 0;
        for (int i = 0; i < width; i++) {
            const int byte = get();
            if (byte < 0)
                return -1;
            value = value << 8 | byte;
        }
        return value;
    }
    bool skip(long count)
    {
        while (count-- > 0)
            if (get() < 0)
                return false;
        return true;
    }
    // What the loader does with what is left of an object when it is done with it.
    void drain()
    {
        while (get() >= 0) {
        }
    }
};

struct ByteStream : Stream {
    const unsigned char *bytes;
    size_t size, at;
    ByteStream(const unsigned char *bytes, size_t size, size_t at) : bytes(bytes), size(size), at(at) {}
    int get() override { return at < size ? bytes[at++] : -1; }
};

// At most `left` bytes of another stream: an object stored as it is.
struct ChunkStream : Stream {
    Stream &parent;
    long left;
    ChunkStream(Stream &parent, long left) : parent(parent), left(left) {}
    int get() override { return left-- > 0 ? parent.get() : -1; }
};

// Allegro's LZSS unpacking, byte for byte, of at most `left` bytes. Its window
// starts zeroed but for the last 18 bytes, which Allegro leaves as it finds them:
// a file that reads them before writing them would load as chance has it, so
// such a read ends the stream and marks it unsound. So does an end inside a
// back-reference, which Allegro would go on copying from.
struct UnpackStream : Stream {
    static const int size = 4096, unset = 18;
    Stream &parent;
    long left;
    unsigned char window[size] = {};
    bool written[size] = {};
    int at = size - unset, from = 0, copies = 0;
    unsigned flags = 0;
    bool unsound = false, copied = false;

    UnpackStream(Stream &parent, long left) : parent(parent), left(left)
    {
        std::fill(written, written + size - unset, true);
    }
    int put(int byte, bool fromCopy)
    {
        copied = fromCopy;
        window[at] = byte;
        written[at] = true;
        at = (at + 1) % size;
        left--;
        return byte;
    }
    int get() override
    {
        if (left <= 0 || unsound) {
            unsound = unsound || copies > 0;
            return -1;
        }
        if (copies > 0) {
            copies--;
            const int index = from++ % size;
            unsound = !written[index];
            return unsound ? -1 : put(window[index], true);
        }
        if (((flags >>= 1) & 256) == 0) {
            const int c = parent.get();
            if (c < 0)
                return -1;
            flags = c | 0xFF00;
        }
        const int c = parent.get();
        if (c < 0 || flags & 1)
            return c < 0 ? -1 : put(c, false);
        const int j = parent.get();
        if (j < 0)
            return -1;
        from = c | (j & 0xF0) << 4;
        copies = (j & 0x0F) + 3;
        return get();
    }
};

// Bounded reads over the bytes of one object, and charges on the budget: any read
// past its end, or charge past the budget, fails them all.
struct ObjectReader {
    std::vector<unsigned char> bytes;
    long &budget;
    size_t at = 0;
    // Whether the loader sees no end after the last byte: it does not after a
    // back-reference in a packed object.
    bool ok = true, endless = false;

    explicit ObjectReader(long &budget) : budget(budget) {}
    bool charge(long cost)
    {
        ok = ok && cost >= 0 && (budget -= cost) >= 0;
        return ok;
    }

    bool skip(long count)
    {
        ok = ok && count >= 0 && static_cast<unsigned long>(count) <= bytes.size() - at;
        if (ok)
            at += count;
        return ok;
    }
    // An unsigned value of `width` bytes, most significant first unless `little`.
    long read(int width, bool little = false)
    {
        long value = 0;
        if (skip(width))
            for (int i = 0; i < width; i++)
                value = value << 8 | bytes[at - width + (little ? width - 1 - i : i)];
        return value;
    }
};

// Bytes a pixel takes in the file at a colour depth, or 0 for one the loader cannot
// take. Alpha only at 32 bits: at the screen's 24 the loader has no conversion for
// it at 8, 15 or 16, and fails the image.
int pixelBytes(int bits, bool alpha)
{
    switch (bits) {
    case 8:
    case 15:
    case 16:
    case 24:
        return alpha ? 0 : (bits + 7) / 8;
    case 32:
        return alpha ? 4 : 3;
    default:
        return 0;
    }
}

bool imageIsSound(ObjectReader &object, long width, long height)
{
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           object.charge(imageCost + height * (lineCost + width * pixelCost));
}

// A negative depth marks pixels with an alpha byte. Gives the bitmap's height, 0 if unsound.
long bitmapIsSound(ObjectReader &object, int bits)
{
    const int bytes = pixelBytes(bits < 0 ? -bits : bits, bits < 0);
    const long width = object.read(2), height = object.read(2);
    return bytes && imageIsSound(object, width, height) && object.skip(width * height * bytes) ? height : 0;
}

// Replays the loader's unpacking: each line's runs must stay within the width,
// and the unpacked sprite within the size the loader allocates for it. 8-bit runs
// are signed bytes ending at 0; deeper ones are words of 2 or 4 bytes.
bool rleSpriteIsSound(ObjectReader &object)
{
    const int depth = static_cast<int16_t>(object.read(2)), bits = depth < 0 ? -depth : depth;
    const long width = object.read(2), height = object.read(2), size = static_cast<int32_t>(object.read(4));
    const int bytes = pixelBytes(bits, depth < 0), word = bits == 8 ? 1 : bits < 24 ? 2 : 4;
    if (!object.ok || !bytes || !imageIsSound(object, width, height) || !object.charge(size))
        return false;
    const long endOfLine = bits == 8 ? 0 : word == 2 ? MASK_COLOR_16 : MASK_COLOR_32;
    const size_t start = object.at;
    long unpacked = 0;
    for (long line = 0; line < height; line++, unpacked += word) {
        long x = 0;
        for (long run = object.read(word, true); object.ok && run != endOfLine; run = object.read(word, true)) {
            const long count = word == 1 ? static_cast<int8_t>(run) : word == 2 ? static_cast<int16_t>(run)
                                                                                : static_cast<int32_t>(run);
            x += count < 0 ? -count : count;
            unpacked += word * (1 + (count > 0 ? count : 0));
            if (x > width || !object.skip(bytes * (count > 0 ? count : 0)))
                return false;
        }
    }
    // An 8-bit sprite is read as `size` bytes, whatever its runs take.
    if (bits == 8)
        return object.ok && object.at - start <= static_cast<size_t>(size) && object.skip(start + size - object.at);
    return object.ok && unpacked <= size;
}

// Three kinds: the oldest, 224 glyphs of `height` bytes; proportional, 8-bit
// bitmaps up to where the loader sees its end, padded to 224 of 8 pixels by the
// tallest; and ranges of glyphs, all mono or all colour, as the font takes the
// kind of its last range.
bool fontIsSound(ObjectReader &object)
{
    const int height = static_cast<int16_t>(object.read(2));
    if (height > 0)
        return object.charge(224 * recordCost) && object.skip(224L * height);
    long glyph = 0, tallest = 0;
    for (; height < 0 && glyph < 224 && (object.at < object.bytes.size() || object.endless); glyph++) {
        const long glyphHeight = bitmapIsSound(object, 8);
        if (!glyphHeight)
            return false;
        tallest = std::max(tallest, glyphHeight);
    }
    if (height < 0)
        return object.charge((224 - glyph) * (imageCost + tallest * (lineCost + 8)));
    const long ranges = object.read(2);
    for (long range = 0, mono = 0; range < ranges && object.ok; range++) {
        const int depth = object.read(1);
        if (range > 0 && mono != (depth == 1 || depth == 255))
            return false;
        mono = depth == 1 || depth == 255;
        const long first = static_cast<int32_t>(object.read(4)), last = static_cast<int32_t>(object.read(4));
        if (last < first || last - first >= 0x110000 || !object.charge(recordCost))
            return false;
        for (long glyph = first; glyph <= last && object.ok; glyph++) {
            // Allegro keeps a mono glyph's sides in shorts, and draws a line of it until
            // it has drawn its width: none, or a negative one, never ends.
            if (mono) {
                const long width = object.read(2), height = object.read(2);
                if (width == 0 || width > maxSide || height > maxSide)
                    return false;
                object.skip((width + 7) / 8 * height);
                object.charge(recordCost);
            } else if (!bitmapIsSound(object, depth ? depth : 8)) {
                return false;
            }
        }
    }
    return object.ok && ranges > 0;
}

bool sampleIsSound(ObjectReader &object)
{
    const int bits = static_cast<int16_t>(object.read(2));
    object.read(2);
    const long length = static_cast<int32_t>(object.read(4));
    return object.skip(length * (bits < 0 ? 2 : 1) * (bits == 8 || bits == -8 ? 1 : 2));
}

// Its record holds 32 tracks, each of whose data the loader allocates apart.
bool midiIsSound(ObjectReader &object)
{
    object.read(2);
    for (int track = 0; track < 32 && object.charge(recordCost); track++)
        object.skip(static_cast<int32_t>(object.read(4)));
    return object.ok;
}

// The kinds the loader builds something of; any other it keeps as bytes.
bool objectIsSound(long type, ObjectReader &object)
{
    switch (type) {
    case DAT_FONT:
        return fontIsSound(object);
    case DAT_SAMPLE:
        return sampleIsSound(object);
    case DAT_MIDI:
        return midiIsSound(object);
    case DAT_RLE_SPRITE:
        return rleSpriteIsSound(object);
    case DAT_BITMAP:
    case DAT_C_SPRITE:
    case DAT_XC_SPRITE:
        return bitmapIsSound(object, static_cast<int16_t>(object.read(2)));
    default:
        return true;
    }
}

// A list of objects, each after its properties, as the loader reads them; the
// datafile itself is the outermost, whose first objects the game uses. `budget`
// is what the loader may still be made to allocate.
bool datafileIsSound(Stream &file, int nesting, long gameType, long &budget)
{
    const long count = static_cast<int32_t>(file.read(4));
    if (nesting > maxNesting || count < (nesting ? 0 : gameObjects) || count > maxObjects)
        return false;
    for (long object = 0, properties = 0; object < count;) {
        const long type = static_cast<int32_t>(file.read(4));
        // A property of type DAT_END would end the object's list early, and be lost.
        if (type == DAT_PROPERTY) {
            const long name = static_cast<int32_t>(file.read(4)), size = static_cast<int32_t>(file.read(4));
            if (name == DAT_END || size < 0 || size > maxPropertyBytes || ++properties > maxProperties ||
                (budget -= recordCost + size) < 0 || !file.skip(size))
                return false;
            continue;
        }
        // A negative size marks an object packed on its own. The loader would look up
        // a type of DAT_END among its free slots, and call their missing loader.
        const long packedSize = file.read(4), size = static_cast<int32_t>(file.read(4)), bytes = size < 0 ? -size : size;
        if (type == DAT_END || packedSize < 0 || (budget -= recordCost + bytes) < 0 ||
            (nesting == 0 && object < gameObjects && type != gameType))
            return false;
        ChunkStream stored(file, size);
        UnpackStream unpacked(file, bytes);
        Stream &chunk = size < 0 ? static_cast<Stream &>(unpacked) : stored;
        ObjectReader reader(budget);
        for (long i = 0; type != DAT_FILE && i < bytes; i++) {
            const int c = chunk.get();
            if (c < 0)
                return false;
            reader.bytes.push_back(c);
        }
        reader.endless = size < 0 && unpacked.copied;
        if (type == DAT_FILE ? !datafileIsSound(chunk, nesting + 1, gameType, budget) : !objectIsSound(type, reader))
            return false;
        chunk.drain();
        if (unpacked.unsound)
            return false;
        object++;
        properties = 0;
    }
    return true;
}

} // namespace

bool datafileCheck(const unsigned char *bytes, size_t size, int objectType)
{
    ByteStream raw(bytes, size, 4);
    UnpackStream unpacked(raw, LONG_MAX);
    const long magic = ByteStream(bytes, size, 0).read(4);
    Stream &stream = magic == F_PACK_MAGIC ? static_cast<Stream &>(unpacked) : raw;
    long budget = budgetBytes - static_cast<long>(size);
    return size <= static_cast<size_t>(budgetBytes) && (magic == F_PACK_MAGIC || magic == F_NOPACK_MAGIC) &&
           stream.read(4) == DAT_MAGIC && datafileIsSound(stream, 0, objectType, budget) && !unpacked.unsound;
}

DATAFILE *datafileLoad(const char *path, int objectType)
{
    std::vector<unsigned char> bytes;
    return safeFileRead(path, budgetBytes, bytes) ? datafileLoadBytes(bytes.data(), bytes.size(), objectType) : nullptr;
}

// Allegro loads datafiles by name alone: it gets a copy of the checked bytes
// that nobody can change while it reads.
DATAFILE *datafileLoadBytes(const unsigned char *bytes, size_t size, int objectType)
{
    DATAFILE *data = nullptr;
    if (datafileCheck(bytes, size, objectType))
        platformWithSealedCopy(bytes, size, [&](const char *name) { data = load_datafile(name); });
    return data;
}
