#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tieba::test {

// A data_file_writer child started with fork and exec, with pipes to its stdin and stdout. The
// durability tests read what it has written, kill it, or wait for it; the destructor kills and
// reaps a child that is still running.
class WriterProcess {
public:
    explicit WriterProcess(const std::vector<std::string>& arguments);
    ~WriterProcess();
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;

    // The next line of its output, or nothing when none came within the time or the output ended.
    std::optional<std::string> readLine(std::chrono::milliseconds within = std::chrono::seconds(10));
    // The lines it had printed when it ended (call after kill or wait).
    std::vector<std::string> remainingLines();
    void send(const std::string& line);

    void kill();
    // Its exit status, or -1 when it did not exit normally.
    int wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    int input_ = -1;
    std::string buffered_;
};

} // namespace tieba::test
