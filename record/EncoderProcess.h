#pragma once
#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

namespace Quessel::Record {

// One run of an external encoder program: started from PATH in a process group of its own
// (so a Ctrl-C on the terminal reaches the recorder, which ends it), fed through a pipe on
// its standard input, its standard error kept for our messages.
class EncoderProcess {
public:
    // Where `program` is found on PATH; empty when it is not.
    static std::string find(const std::string& program);

    EncoderProcess() = default;
    // Ends a child still running.
    ~EncoderProcess();
    EncoderProcess(const EncoderProcess&) = delete;
    EncoderProcess& operator=(const EncoderProcess&) = delete;

    // Starts argv[0], its standard input a pipe that write() fills until finish() closes
    // it. False with the reason in `error`.
    bool start(const std::vector<std::string>& argv, std::string& error);
    // All bytes into the pipe. False when the program stopped reading (the error number,
    // e.g. EPIPE, is in writeError) or Ctrl-C came.
    bool write(const void* data, size_t size);
    // Closes the pipe and waits for the end: the exit status, 128 + the signal number when
    // it was killed, or -1 when Ctrl-C came first (the program is then ended).
    int finish();

    // What went wrong, from what the program said on its standard error: a full disk by
    // name, else its last line.
    std::string problem() const;

    int writeError = 0;

private:
    // Waits for the end; on Ctrl-C when `honourStop`, else after a grace time, ends it first.
    int wait(bool honourStop);

    pid_t pid = -1;
    int input = -1;
    std::FILE* log = nullptr;
};

}  // namespace Quessel::Record
