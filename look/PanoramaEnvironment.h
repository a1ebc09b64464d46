#pragma once
#include "look/FloatImage.h"
#include "look/IEnvironment.h"

#include <memory>
#include <string>

namespace Quessel {

// An equirectangular panorama: its centre column looks along -Z with +X to the right, its
// top row straight up (+Y). Sampled bilinearly, wrapping around the horizon.
class PanoramaEnvironment : public IEnvironment {
public:
    PanoramaEnvironment(FloatImage image, std::string file);
    // The panorama in `path` (.hdr, .exr, or an LDR image decoded from sRGB); nullptr with
    // `error` naming the file and the reason when it cannot be used.
    static std::unique_ptr<PanoramaEnvironment> load(const std::string& path, std::string& error);

    vec3 radiance(const vec3& direction) const override;
    std::string name() const override { return file; }
    // A quarter of the panorama's width (a face spans a quarter turn), as a power of two
    // between 64 and 512.
    int faceSize() const override;

private:
    FloatImage image;
    std::string file;
};

}  // namespace Quessel
