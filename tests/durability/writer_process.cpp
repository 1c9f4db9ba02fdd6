#include "writer_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tieba::test {

WriterProcess::WriterProcess(const std::vector<std::string>& arguments)
{
    int out[2];
    int in[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(in[0], STDIN_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(in[0]);
    output_ = out[0];
    input_ = in[1];
}

WriterProcess::~WriterProcess()
{
    if (pid_ > 0)
        kill();
    if (output_ >= 0)
        ::close(output_);
    if (input_ >= 0)
        ::close(input_);
}

std::optional<std::string> WriterProcess::readLine(std::chrono::milliseconds within)
{
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (true) {
        const size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd wanted{output_, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[4096];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        buffered_.append(chunk, static_cast<size_t>(got));
    }
}

std::vector<std::string> WriterProcess::remainingLines()
{
    std::vector<std::string> lines;
    // The child has ended, so the pipe reaches its end at once.
    while (std::optional<std::string> line = readLine())
        lines.push_back(*line);
    return lines;
}

void WriterProcess::send(const std::string& line)
{
    const std::string out = line + "\n";
    if (::write(input_, out.data(), out.size()) != static_cast<ssize_t>(out.size()))
        throw std::runtime_error("cannot write to the writer");
}

void WriterProcess::kill()
{
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
    wait();
}

int WriterProcess::wait()
{
    if (pid_ <= 0)
        return -1;
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    pid_ = -1;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tieba::test
