#include "history/RecoveryJournal.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>

#include "base/AtomicFile.h"
#include "db/Schema.h"
#include "history/EditHistory.h"
#include "history/EditRecord.h"

namespace kalvo {
namespace {

constexpr std::string_view kMagic = "KALVO JOURNAL 1\n";

std::uint32_t checksum(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Writes `bytes` with one call; the error number of a failure, 0 on success.
int writeAll(int descriptor, std::string_view bytes) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written == static_cast<ssize_t>(bytes.size())) {
        return 0;
    }
    return written < 0 ? errno : ENOSPC;
}

std::string journalPath(const std::string& base) {
    std::string path = base;
    path.append(kJournalName);
    return path;
}

std::string header(const SavedFiles& saved) {
    RecordWriter out;
    for (std::size_t i = 0; i < saved.sizes.size(); ++i) {
        out.u32(static_cast<std::uint32_t>(saved.sizes[i]));
        out.u32(static_cast<std::uint32_t>(saved.sizes[i] >> 32));
        out.u32(saved.checksums[i]);
    }
    std::string bytes = std::string(kMagic) + out.bytes();
    RecordWriter sum;
    sum.u32(checksum(bytes));
    return bytes + sum.bytes();
}

std::string framed(std::string_view record) {
    RecordWriter frame;
    frame.u32(static_cast<std::uint32_t>(record.size()));
    frame.u32(checksum(record));
    return frame.bytes() + std::string(record);
}

}  // namespace

SavedFiles savedFilesOf(const std::string& base) {
    SavedFiles saved;
    std::size_t i = 0;
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        const FileContent file(base + std::string(name));
        saved.sizes[i] = file.bytes().size();
        saved.checksums[i] = checksum(file.bytes());
        ++i;
    }
    return saved;
}

std::size_t editCount(const std::vector<std::string>& records) {
    std::size_t edits = 0;
    for (const std::string& record : records) {
        edits += !record.empty() && record.front() == kStepRecord ? 1 : 0;
    }
    return edits;
}

bool journalExists(const std::string& base) {
    return fileExists(journalPath(base));
}

JournalContent readJournal(const std::string& base, const SavedFiles& saved) {
    JournalContent content;
    if (!journalExists(base)) {
        return content;
    }
    const FileContent file(journalPath(base));
    std::string_view rest = file.bytes();
    const std::string expected = header(saved);
    if (!rest.starts_with(expected)) {
        content.state = JournalContent::State::foreign;
        return content;
    }
    rest.remove_prefix(expected.size());
    content.wholeBytes = expected.size();
    content.state = JournalContent::State::whole;
    while (!rest.empty()) {
        RecordReader frame(rest.substr(0, 8));
        std::uint32_t size = 0;
        std::uint32_t sum = 0;
        try {
            size = frame.u32();
            sum = frame.u32();
        } catch (const std::runtime_error&) {
            content.state = JournalContent::State::torn;
            break;
        }
        if (rest.size() - 8 < size || checksum(rest.substr(8, size)) != sum) {
            content.state = JournalContent::State::torn;
            break;
        }
        content.records.emplace_back(rest.substr(8, size));
        rest.remove_prefix(8 + static_cast<std::size_t>(size));
        content.wholeBytes += 8 + static_cast<std::uint64_t>(size);
    }
    return content;
}

std::string setJournalAside(const std::string& base) {
    for (int number = 1;; ++number) {
        const std::string aside = journalPath(base) + ".kept-" + std::to_string(number);
        if (fileExists(aside)) {
            continue;
        }
        if (std::rename(journalPath(base).c_str(), aside.c_str()) != 0) {
            throw fileError("Cannot rename file", journalPath(base), errno);
        }
        return aside;
    }
}

JournalWriter::JournalWriter(std::string base) : path_(journalPath(base)) {}

JournalWriter::~JournalWriter() {
    close();
}

void JournalWriter::close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

void JournalWriter::start(const SavedFiles& saved) {
    close();
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (descriptor_ < 0) {
        throw fileError("Cannot create file", path_, errno);
    }
    if (const int error = writeAll(descriptor_, header(saved)); error != 0) {
        close();
        throw fileError("Cannot write file", path_, error);
    }
}

void JournalWriter::resume(std::uint64_t wholeBytes) {
    close();
    descriptor_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (descriptor_ < 0 || ::ftruncate(descriptor_, static_cast<off_t>(wholeBytes)) != 0) {
        const int error = errno;
        close();
        throw fileError("Cannot write file", path_, error);
    }
}

void JournalWriter::append(std::string_view record) {
    // One write: a crash leaves the record whole or torn at its end, never mixed with another.
    if (const int error = writeAll(descriptor_, framed(record)); error != 0) {
        close();
        throw fileError("Cannot write file", path_, error);
    }
}

void JournalWriter::remove() {
    close();
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
        throw fileError("Cannot delete file", path_, errno);
    }
}

}  // namespace kalvo
