#pragma once
#include <string>

namespace Quessel::Record {

// The animated preview of a finished video: an animated WebP of about 640 x 384 at about
// 10 frames per second, at most MaxBytes. ffmpeg takes the frames out of the video into a
// folder beside the preview; libwebp's img2webp puts them together with a key frame at
// least every KeyFrameInterval frames (between key frames WebP stores only what changed,
// within a tolerance, and without key frames those small errors pile up into ghosts).
// When a try comes out larger than the cap, quality gives way first, then frame rate,
// then size.
class PreviewMaker {
public:
    static constexpr long long MaxBytes = 8000000;
    static constexpr int KeyFrameInterval = 5;

    struct Attempt {
        int width;
        int height;
        double fps;
        int quality;  // libwebp's 0..100
    };

    // Encodes `video` (at `videoFps`) into `path`, trying the attempts in turn until one
    // fits. False with the reason in `error`; `used` is the attempt that fitted.
    bool make(const std::string& video, const std::string& path, double videoFps, std::string& error);

    Attempt used{};

private:
    bool tryAttempt(const std::string& video, const std::string& path, const Attempt& attempt, std::string& error);
};

}  // namespace Quessel::Record
