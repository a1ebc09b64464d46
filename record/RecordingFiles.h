#pragma once
#include <string>
#include <vector>

namespace Quessel {
struct RgbImage;
}

namespace Quessel::Record {

struct RecordOptions;

// What a recording writes. The MP4 and its preview go under temporary names beside their
// targets ("<target>.part") and are renamed into place only once whole; the stills are
// every recorded frame as a PNG, named by the frame's number from t = 0 at the recording's
// rate (frame n shows n/fps to (n + 1)/fps), so two recordings of the same frames give
// stills of the same names. A run that does not commit leaves nothing that looks complete:
// the temporary files go, and so do the stills it wrote (the folder too, when it made it).
class RecordingFiles {
public:
    explicit RecordingFiles(const RecordOptions& options);
    ~RecordingFiles();
    RecordingFiles(const RecordingFiles&) = delete;
    RecordingFiles& operator=(const RecordingFiles&) = delete;

    // Creates the (empty) temporary files and the stills folder when it is missing, which
    // shows each place takes files. False with the reason in `error`.
    bool create(std::string& error);
    bool saveStill(const RgbImage& frame, long number, std::string& error);
    // Renames the temporary files to their targets and keeps the stills.
    bool commit(std::string& error);

    // Bytes in a file; -1 when there is none.
    static long long size(const std::string& path);

    // The targets; no stills when `stills` is empty.
    const std::string video, preview, stills;
    const std::string videoPart, previewPart;

private:
    // The temporary files and stills made so far.
    std::vector<std::string> written;
    bool madeStills = false;
    bool committed = false;
};

}  // namespace Quessel::Record
