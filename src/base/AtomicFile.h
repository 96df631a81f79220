#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalvo {

// Replaces a file as a whole: the new content goes into a temporary file in the same folder
// (named after the file, ending in kTemporarySuffix), which is flushed to the disk and then
// renamed over the old file. Until commit() succeeds the old file stays whole, whatever happens
// to the program or the disk; a writer destroyed without commit() removes its temporary file,
// unless keepTemporary() handed the file on.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void write(std::string_view bytes);
    // The new content is on the disk under the temporary name; the old file still stands.
    void flush();
    const std::string& temporaryPath() const { return temporaryPath_; }
    // From now on the temporary file outlives the writer: a recorded commit renames it.
    void keepTemporary() { keepTemporary_ = true; }
    // Flushes, then renames the temporary file over the old one.
    void commit();

private:
    [[noreturn]] void fail(int error);

    std::string path_;
    std::string temporaryPath_;
    int descriptor_ = -1;
    bool keepTemporary_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t writebackStarted_ = 0;
};

inline constexpr std::string_view kTemporarySuffix = ".tmp";

// The error of a file operation with the platform's message: `what` "path". message
std::runtime_error fileError(const char* what, const std::string& path, int error);

// Replaces the file `path` with `bytes` as one step: a failed write leaves the old file.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// Creates `folder` and the folders above it that are missing. Fails with "Cannot create folder"
// and the platform's message.
void createFolder(const std::string& folder);

// Makes the renames and removals in the folder of `path` durable.
void syncFolderOf(const std::string& path);

// The whole content of a file, mapped into memory rather than copied: a ten-year table file
// is read at the speed of the page cache. Opening fails with the platform's message.
class FileContent {
public:
    explicit FileContent(const std::string& path);
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;
    ~FileContent();

    std::string_view bytes() const { return bytes_; }
    // The bytes from `from` to `to` are read: their whole pages leave the process's memory
    // (they come back from the page cache should they be read again).
    void release(std::size_t from, std::size_t to) const;

private:
    void* mapping_ = nullptr;
    std::size_t mappedSize_ = 0;
    std::string copy_;  // for files that cannot be mapped (empty ones, pipes)
    std::string_view bytes_;
};

bool fileExists(const std::string& path);

}  // namespace kalvo
