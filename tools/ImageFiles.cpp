#include "ImageFiles.h"

#include <IL/il.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace Quessel::SceneGen {

bool ImageFiles::save(const Image& image, const std::string& path) {
    static const bool devilReady = [] {
        ilInit();
        ilSetInteger(IL_JPG_QUALITY, 95);
        return ilEnable(IL_FILE_OVERWRITE) == IL_TRUE;
    }();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    ILenum format = image.channels() == 4 ? IL_RGBA : IL_RGB;
    bool ok = devilReady && ilTexImage(image.width(), image.height(), 1, static_cast<ILubyte>(image.channels()), format,
                                       IL_UNSIGNED_BYTE, const_cast<uint8_t*>(image.bytes().data())) == IL_TRUE;
    // Our rows are stored top first; without this DevIL would flip them on save.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ok = ok && ilSave(std::filesystem::path(path).extension() == ".png" ? IL_PNG : IL_JPG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    return ok;
}

bool ImageFiles::saveTga(const Image& image, const std::string& path) {
    const int w = image.width(), h = image.height(), channels = image.channels();
    uint8_t header[18] = {0, 0, 2};  // uncompressed true colour
    // Size little-endian, bits per pixel, then a top-left origin and the alpha bits.
    const int spec[6] = {w & 0xFF, w >> 8, h & 0xFF, h >> 8, channels * 8, channels == 4 ? 0x28 : 0x20};
    std::copy(spec, spec + 6, header + 12);
    std::vector<uint8_t> pixels(image.bytes());
    for (size_t i = 0; i + 2 < pixels.size(); i += channels) std::swap(pixels[i], pixels[i + 2]);  // TGA stores BGR(A)
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    file.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(file);
}

}  // namespace Quessel::SceneGen
