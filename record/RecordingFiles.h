#pragma once
#include <string>
#include <vector>

namespace Quessel {
struct RgbImage;
}

namespace Quessel::Record {

struct RecordOptions;

// What a recording writes. The MP4, its preview and the stills go under temporary names
// beside their targets ("<target>.part") and are renamed into place only on commit; the
// stills are every recorded frame as a PNG, named by the frame's number from t = 0 at the
// recording's rate (frame n shows n/fps to (n + 1)/fps), so two recordings of the same
// frames give stills of the same names. A run that does not commit leaves every earlier
// file as it was and nothing of its own: the temporary files go (the stills folder too,
// when it made it and nothing else is in it).
//
// The preview is an animated WebP of about 640 x 384 at about 10 frames per second, at most
// MaxPreviewBytes: ffmpeg takes the frames out of the video into a folder beside it, and
// libwebp's img2webp puts them together with a key frame at least every KeyFrameInterval
// frames (between key frames WebP stores only what changed, within a tolerance, and without
// key frames those small errors pile up into ghosts). When a try comes out larger than the
// cap, quality gives way first, then frame rate, then size.
class RecordingFiles {
public:
    static constexpr unsigned long long MaxPreviewBytes = 8000000;
    static constexpr int KeyFrameInterval = 5;

    struct PreviewSize {
        int width;
        int height;
        double fps;
        int quality;  // libwebp's 0..100
    };

    explicit RecordingFiles(const RecordOptions& options);
    ~RecordingFiles();
    RecordingFiles(const RecordingFiles&) = delete;
    RecordingFiles& operator=(const RecordingFiles&) = delete;

    // Creates the (empty) temporary files and the stills folder when it is missing, which
    // shows each place takes files. False with the reason in `error`.
    bool create(std::string& error);
    // Frame `number` as "<stills>/frame-NNNNN.png.part"; a failure names the still and why.
    bool saveStill(const RgbImage& frame, long number, std::string& error);
    // The preview of the finished video (at `videoFps`); `previewSize` is the try that fitted.
    bool makePreview(double videoFps, std::string& error);
    // Renames the temporary files, stills first, to their targets.
    bool commit(std::string& error);

    // The targets; no stills when `stills` is empty.
    const std::string video, preview, stills;
    const std::string videoPart, previewPart;
    PreviewSize previewSize{};

private:
    // One try, its frames taken out into `folder`.
    bool tryPreview(const PreviewSize& size, const std::string& folder, std::string& error);

    // The temporary video and preview; the stills saved so far, by their final names.
    std::vector<std::string> written, stillTargets;
    bool madeStills = false;
    bool committed = false;
};

}  // namespace Quessel::Record
