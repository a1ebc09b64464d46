#pragma once
#include <string>

namespace Quessel::Record {

// A file written under a temporary name beside its target ("<target>.part") and renamed
// into place only once it is whole, so a failed or interrupted recording never leaves a
// file behind that looks complete.
class OutputFile {
public:
    explicit OutputFile(std::string target);
    // Removes the temporary file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the (empty) temporary file, which shows the folder takes files. False with
    // the reason in `error`.
    bool create(std::string& error);
    // Renames the temporary file to the target.
    bool commit(std::string& error);
    void discard();
    // Bytes in the temporary file (or the target once committed); -1 when there is none.
    long long size() const;

    const std::string target;
    const std::string temporary;

private:
    bool created = false;
    bool committed = false;
};

}  // namespace Quessel::Record
