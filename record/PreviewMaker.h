#pragma once
#include <string>
#include <vector>

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
    static const std::vector<Attempt>& attempts();
    // The command that takes the frames out of `video` into `folder`.
    static std::vector<std::string> frameCommand(const std::string& video, const std::string& folder,
                                                 const Attempt& attempt);
    // The command that puts `frames` together into `path`.
    static std::vector<std::string> animationCommand(const std::vector<std::string>& frames, const std::string& path,
                                                     const Attempt& attempt);

    // Encodes `video` (at `videoFps`) into `path`, trying the attempts in turn until one
    // fits. False with the reason in `error`; `used` is the attempt that fitted.
    bool make(const std::string& video, const std::string& path, double videoFps, std::string& error);

    Attempt used{};
    long long bytes = 0;

private:
    bool run(const std::vector<std::string>& command, const std::string& doing, std::string& error);
    bool tryAttempt(const std::string& video, const std::string& path, const Attempt& attempt, std::string& error);
};

}  // namespace Quessel::Record
