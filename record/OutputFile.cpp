#include "record/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Quessel::Record {

OutputFile::OutputFile(std::string path) : target(std::move(path)), temporary(target + ".part") {}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::create(std::string& error) {
    struct stat info {};
    if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "cannot write " + target + ": it is a folder";
        return false;
    }
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + target + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    created = true;
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot move " + temporary + " to " + target + ": " + std::strerror(errno);
        return false;
    }
    committed = true;
    return true;
}

void OutputFile::discard() {
    if (created && !committed) unlink(temporary.c_str());
    created = false;
}

long long OutputFile::size() const {
    struct stat info {};
    if (stat((committed ? target : temporary).c_str(), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

}  // namespace Quessel::Record
