#include "storage/TextMapFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

TTextMapRead Failure(std::string text)
{
    return TTextMapRead{{}, std::move(text)};
}

TTextMapRead FailureCode(int code)
{
    return Failure(std::generic_category().message(code));
}

TTextMapRead TooLarge(std::size_t maxBytes, std::string_view what)
{
    return Failure("it is larger than " + std::to_string(maxBytes >> 20) + " MB, far more than " + std::string(what)
                   + " holds");
}

TTextMapRead ReadAll(int fd, std::size_t sizeHint, std::size_t maxBytes, std::string_view what)
{
    TTextMapRead result;
    // The size may change while reading; the bound holds whatever it is.
    result.Bytes.resize(std::min(sizeHint, maxBytes) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.Bytes.size()) {
            if (done > maxBytes)
                return TooLarge(maxBytes, what);
            result.Bytes.resize(std::min(done * 2 + 4096, maxBytes + 1));
        }
        const ssize_t got = ::read(fd, result.Bytes.data() + done, result.Bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return FailureCode(errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    result.Bytes.resize(done);
    return result;
}

}  // namespace

TTextMapRead ReadTextMapFile(const std::filesystem::path& file, std::size_t maxBytes, std::string_view what)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return FailureCode(errno);
    struct stat status {};
    TTextMapRead result;
    if (::fstat(fd, &status) != 0)
        result = FailureCode(errno);
    else if (S_ISDIR(status.st_mode))
        result = Failure("it is a directory");
    else if (!S_ISREG(status.st_mode))
        result = Failure("it is not a regular file");
    else if (status.st_size > static_cast<off_t>(maxBytes))
        result = TooLarge(maxBytes, what);
    else
        result = ReadAll(fd, static_cast<std::size_t>(status.st_size), maxBytes, what);
    ::close(fd);
    return result;
}
