#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kalvo {
namespace {

// The permissions a new file gets: what the user's umask leaves of read and write for all.
// The mask is read rather than set and reset, which would race with files made meanwhile.
mode_t newFileMode() {
    mode_t mask = 022;  // where the system does not tell
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            break;
        }
    }
    return 0666 & ~mask;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::runtime_error fileError(const char* what, const std::string& path, int error) {
    return std::runtime_error(std::string(what) + " \"" + path + "\". " + std::strerror(error));
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {
    temporaryPath_ = path_ + ".XXXXXX" + std::string(kTemporarySuffix);
    descriptor_ = ::mkstemps(temporaryPath_.data(), static_cast<int>(kTemporarySuffix.size()));
    if (descriptor_ < 0) {
        const int error = errno;
        temporaryPath_.clear();
        throw fileError("Cannot create file", path_, error);
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat previous {};
    const mode_t mode =
        ::stat(path_.c_str(), &previous) == 0 ? previous.st_mode & 07777 : newFileMode();
    ::fchmod(descriptor_, mode);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!temporaryPath_.empty() && !keepTemporary_) {
        ::unlink(temporaryPath_.c_str());
    }
}

void AtomicFileWriter::fail(int error) {
    throw fileError("Cannot create file", path_, error);
}

void AtomicFileWriter::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        written_ += static_cast<std::uint64_t>(written);
    }
    // The disk starts on what is written while the rest is still being made, so that the flush
    // at the end waits for the last part only.
    constexpr std::uint64_t kWritebackStep = 4 << 20;
    if (written_ - writebackStarted_ >= kWritebackStep) {
        ::sync_file_range(descriptor_, static_cast<off64_t>(writebackStarted_),
                          static_cast<off64_t>(written_ - writebackStarted_),
                          SYNC_FILE_RANGE_WRITE);
        writebackStarted_ = written_;
    }
}

void AtomicFileWriter::flush() {
    if (descriptor_ < 0) {
        return;
    }
    if (::fsync(descriptor_) != 0) {
        fail(errno);
    }
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0) {
        fail(errno);
    }
}

void AtomicFileWriter::commit() {
    flush();
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        fail(errno);
    }
    temporaryPath_.clear();
    syncFolderOf(path_);
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter file(path);
    file.write(bytes);
    file.commit();
}

void createFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw std::runtime_error("Cannot create folder \"" + folder + "\". " + error.message());
    }
}

void syncFolderOf(const std::string& path) {
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

FileContent::FileContent(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY);
    if (descriptor < 0) {
        throw fileError("Cannot open file", path, errno);
    }
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        mappedSize_ = static_cast<std::size_t>(status.st_size);
        void* mapping =
            ::mmap(nullptr, mappedSize_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
        if (mapping != MAP_FAILED) {
            mapping_ = mapping;
            ::close(descriptor);
            bytes_ = std::string_view(static_cast<const char*>(mapping_), mappedSize_);
            return;
        }
    }
    char piece[1 << 16];
    for (;;) {
        const ssize_t got = ::read(descriptor, piece, sizeof piece);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(descriptor);
            throw fileError("Cannot open file", path, error);
        }
        copy_.append(piece, static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    bytes_ = copy_;
}

FileContent::~FileContent() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, mappedSize_);
    }
}

void FileContent::release(std::size_t from, std::size_t to) const {
    if (mapping_ == nullptr) {
        return;
    }
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t first = (from + page - 1) / page * page;
    const std::size_t end = std::min(to, mappedSize_) / page * page;
    if (end > first) {
        ::madvise(static_cast<char*>(mapping_) + first, end - first, MADV_DONTNEED);
    }
}

bool fileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace kalvo
