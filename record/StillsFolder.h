#pragma once
#include <string>
#include <vector>

namespace Quessel {
struct RgbImage;
}

namespace Quessel::Record {

// The folder that gets every recorded frame as a PNG, named by the frame's number from
// t = 0 at the recording's rate (frame n shows n/fps to (n + 1)/fps), so two recordings of
// the same frames give stills of the same names. Like the video, stills of a run that did
// not finish are not left behind: what the run wrote goes again (the folder too, when the
// run made it) unless the run keeps it.
class StillsFolder {
public:
    explicit StillsFolder(std::string path) : path(std::move(path)) {}
    ~StillsFolder();
    StillsFolder(const StillsFolder&) = delete;
    StillsFolder& operator=(const StillsFolder&) = delete;

    // Makes the folder when it is missing and checks it takes files. False with the
    // reason in `error`.
    bool create(std::string& error);
    bool save(const RgbImage& frame, long number, std::string& error);
    void keep() { kept = true; }

    std::string fileName(long number) const;

    const std::string path;

private:
    std::vector<std::string> written;
    bool made = false;
    bool kept = false;
};

}  // namespace Quessel::Record
