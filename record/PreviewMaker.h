#pragma once
#include <csignal>
#include <string>
#include <vector>

namespace Quessel {

// The animated preview of a finished video: an animated WebP of about 640 x 384 at about
// 10 frames per second, at most MaxBytes. When a try comes out larger, quality gives way
// first, then frame rate, then size.
class PreviewMaker {
public:
    static constexpr long long MaxBytes = 8000000;

    struct Attempt {
        int width;
        int height;
        double fps;
        int quality;  // libwebp's 0..100
    };
    static const std::vector<Attempt>& attempts();
    static std::vector<std::string> command(const std::string& video, const std::string& path, const Attempt& attempt);

    explicit PreviewMaker(const volatile std::sig_atomic_t& stop);

    // Encodes `video` into `path`, trying the attempts in turn until one fits. False with
    // the reason in `error`; `used` is the attempt that fitted.
    bool make(const std::string& video, const std::string& path, double videoFps, std::string& error);

    Attempt used{};
    long long bytes = 0;

private:
    const volatile std::sig_atomic_t& stop;
};

}  // namespace Quessel
