#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "tests/support/SpecialFiles.h"

NonRegularFile::NonRegularFile(std::string path, std::string_view waiting) : path_(std::move(path)) {
    if (::mkfifo(path_.c_str(), 0600) != 0)
        return;
    made_ = true;
    writer_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);
    if (writer_ >= 0 && !waiting.empty() &&
        ::write(writer_, waiting.data(), waiting.size()) != static_cast<ssize_t>(waiting.size()))
        made_ = false;
}

NonRegularFile::~NonRegularFile() {
    if (writer_ >= 0)
        ::close(writer_);
    if (made_)
        std::remove(path_.c_str());
}

FullDisk::FullDisk() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    previousLimit_ = limit.rlim_cur;
    limit.rlim_cur = 0;
    // Writing past the limit would otherwise end the process.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FullDisk::~FullDisk() {
    rlimit limit{};
    if (active_ && ::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = static_cast<rlim_t>(previousLimit_);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::signal(SIGXFSZ, previousHandler_);
}
