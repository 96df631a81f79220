#pragma once

#include <string>
#include <string_view>

namespace kalvo {

// Replaces a file as a whole: the new content goes into a temporary file in the same folder,
// which is flushed to the disk and then renamed over the old file. Until commit() succeeds the
// old file stays whole, whatever happens to the program or the disk; a writer destroyed
// without commit() removes its temporary file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void write(std::string_view bytes);
    void commit();

private:
    [[noreturn]] void fail(int error);

    std::string path_;
    std::string temporaryPath_;
    int descriptor_ = -1;
};

// Reads a whole file, failing with the platform's message.
std::string readWholeFile(const std::string& path);

bool fileExists(const std::string& path);

}  // namespace kalvo
