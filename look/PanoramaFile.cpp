#include "look/PanoramaFile.h"

#include "look/ToneCurve.h"
#include "scene/ImageHeader.h"

#include <IL/il.h>
#include <tinyexr.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>

namespace Quessel {

namespace {

std::string extension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
    std::string text = path.substr(dot + 1);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool sizeFits(long long width, long long height) {
    return width >= 1 && height >= 1 && width <= PanoramaFile::MaxSide && height <= PanoramaFile::MaxSide &&
           width * height <= PanoramaFile::MaxPixels;
}

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::optional<FloatImage> readExr(const std::string& path, std::string& reason) {
    EXRVersion version;
    if (ParseEXRVersionFromFile(&version, path.c_str()) != TINYEXR_SUCCESS) {
        reason = "it is not an OpenEXR image";
        return std::nullopt;
    }
    if (version.multipart || version.non_image) {
        reason = "it holds several parts or deep data, not one image";
        return std::nullopt;
    }
    EXRHeader header;
    InitEXRHeader(&header);
    const char* message = nullptr;
    if (ParseEXRHeaderFromFile(&header, &version, path.c_str(), &message) != TINYEXR_SUCCESS) {
        reason = std::string("its header cannot be read") + (message ? ": " + std::string(message) : "");
        FreeEXRErrorMessage(message);
        return std::nullopt;
    }
    const long long width = static_cast<long long>(header.data_window.max_x) - header.data_window.min_x + 1;
    const long long height = static_cast<long long>(header.data_window.max_y) - header.data_window.min_y + 1;
    FreeEXRHeader(&header);
    if (!sizeFits(width, height)) {
        reason = "its header declares " + sizeText(width, height) + " texels";
        return std::nullopt;
    }
    float* rgba = nullptr;
    int w = 0;
    int h = 0;
    if (LoadEXR(&rgba, &w, &h, path.c_str(), &message) != TINYEXR_SUCCESS) {
        reason = std::string("its texels cannot be read") + (message ? ": " + std::string(message) : "");
        FreeEXRErrorMessage(message);
        return std::nullopt;
    }
    FloatImage image;
    image.width = w;
    image.height = h;
    image.texels.resize(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < image.texels.size(); ++i)
        image.texels[i] = vec3(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]);
    std::free(rgba);
    return image;
}

std::optional<FloatImage> readWithDevil(const std::string& path, bool highRange, std::string& reason) {
    if (!imageSizeFits(path)) {
        reason = "its header declares a size beyond " + sizeText(MaxImageSide, MaxImageSide) + " texels";
        return std::nullopt;
    }
    ilInit();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    // The same origin as the demo's textures; rows are turned top-down below.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    std::optional<FloatImage> image;
    if (!ilLoadImage(path.c_str())) {
        reason = "it is not an image that can be read";
    } else if (!sizeFits(ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT))) {
        reason = "it has " + sizeText(ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT)) + " texels";
    } else {
        const ILint type = ilGetInteger(IL_IMAGE_TYPE);
        const bool linear = highRange || type == IL_FLOAT || type == IL_HALF || type == IL_DOUBLE;
        ilConvertImage(IL_RGB, IL_FLOAT);
        image = FloatImage();
        image->width = ilGetInteger(IL_IMAGE_WIDTH);
        image->height = ilGetInteger(IL_IMAGE_HEIGHT);
        image->texels.resize(static_cast<size_t>(image->width) * image->height);
        const auto* data = reinterpret_cast<const float*>(ilGetData());
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                const float* texel = data + 3 * (static_cast<size_t>(image->height - 1 - y) * image->width + x);
                vec3 value(texel[0], texel[1], texel[2]);
                if (!linear)
                    value = {ToneCurve::decodeSrgb(value.x), ToneCurve::decodeSrgb(value.y),
                             ToneCurve::decodeSrgb(value.z)};
                image->texels[static_cast<size_t>(y) * image->width + x] = value;
            }
        }
    }
    ilDeleteImages(1, &name);
    return image;
}

}  // namespace

std::optional<FloatImage> PanoramaFile::read(const std::string& path, std::string& error) {
    std::string reason;
    std::optional<FloatImage> image;
    if (!std::ifstream(path).is_open()) {
        reason = "it cannot be opened";
    } else {
        const std::string type = extension(path);
        image = type == "exr" ? readExr(path, reason) : readWithDevil(path, type == "hdr", reason);
    }
    if (image) {
        for (vec3& texel : image->texels) {
            if (!std::isfinite(texel.x) || !std::isfinite(texel.y) || !std::isfinite(texel.z)) {
                reason = "it holds values that are not finite numbers";
                image.reset();
                break;
            }
            // Negative light is meaningless; some encoders leave tiny negatives.
            texel = glm::max(texel, vec3(0.0f));
        }
    }
    if (!image) error = "the environment " + path + " cannot be used: " + reason;
    return image;
}

}  // namespace Quessel
