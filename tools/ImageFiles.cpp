#include "ImageFiles.h"

#include <IL/il.h>

#include <fstream>

namespace Quessel::SceneGen {

namespace {

void initDevIL() {
    static bool done = false;
    if (done) return;
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    ilSetInteger(IL_JPG_QUALITY, 95);
    done = true;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool ImageFiles::save(const Image& image, const std::string& path) {
    initDevIL();
    ILenum type = endsWith(path, ".png") ? IL_PNG : IL_JPG;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ILenum format = image.channels() == 4 ? IL_RGBA : IL_RGB;
    bool ok = ilTexImage(image.width(), image.height(), 1, static_cast<ILubyte>(image.channels()), format,
                         IL_UNSIGNED_BYTE, const_cast<uint8_t*>(image.bytes().data())) == IL_TRUE;
    // Our rows are stored top first; without this DevIL would flip them on save.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ok = ok && ilSave(type, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    return ok;
}

bool ImageFiles::saveTga(const Image& image, const std::string& path) {
    const int bpp = image.channels() * 8;
    uint8_t header[18] = {};
    header[2] = 2;  // uncompressed true colour
    header[12] = static_cast<uint8_t>(image.width() & 0xFF);
    header[13] = static_cast<uint8_t>(image.width() >> 8);
    header[14] = static_cast<uint8_t>(image.height() & 0xFF);
    header[15] = static_cast<uint8_t>(image.height() >> 8);
    header[16] = static_cast<uint8_t>(bpp);
    header[17] = 0x20 | (image.channels() == 4 ? 8 : 0);  // top-left origin, alpha bits
    std::vector<uint8_t> pixels(image.bytes());
    for (size_t i = 0; i + 2 < pixels.size(); i += image.channels())
        std::swap(pixels[i], pixels[i + 2]);  // TGA stores BGR(A)
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    file.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(file);
}

}  // namespace Quessel::SceneGen
