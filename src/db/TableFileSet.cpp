#include "db/TableFileSet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "datapacket/Datapacket.h"
#include "db/Schema.h"

namespace kalvo {
namespace {

constexpr std::string_view kTableFileNames[] = {kTypeFileName, kEventFileName, kEventDataFileName};

// The table file (or the record) a temporary file was written for, or empty when `name` is
// not the name of one: <file>.<six letters or digits>.tmp.
std::string_view targetOfTemporary(std::string_view name) {
    constexpr std::size_t kUniquePart = 6;
    if (!name.ends_with(kTemporarySuffix)) {
        return {};
    }
    name.remove_suffix(kTemporarySuffix.size());
    if (name.size() < kUniquePart + 2 || name[name.size() - kUniquePart - 1] != '.') {
        return {};
    }
    const std::string_view unique = name.substr(name.size() - kUniquePart);
    if (!std::all_of(unique.begin(), unique.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
        return {};
    }
    const std::string_view target = name.substr(0, name.size() - kUniquePart - 1);
    const bool known = target == kCommitRecordName ||
                       std::find(std::begin(kTableFileNames), std::end(kTableFileNames), target) !=
                           std::end(kTableFileNames);
    return known ? target : std::string_view{};
}

// The temporary files a record names, each with the table file it replaces. A record that is
// not one the program wrote names nothing.
std::vector<std::pair<std::string, std::string>> readRecord(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> renames;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            return {};
        }
        const std::string temporary = text.substr(start, end - start);
        const std::string_view target = targetOfTemporary(temporary);
        if (target.empty() || target == kCommitRecordName) {
            return {};
        }
        renames.emplace_back(temporary, std::string(target));
        start = end + 1;
    }
    return renames;
}

[[noreturn]] void failToFinish(const std::string& path, const std::error_code& error) {
    throw std::runtime_error("Cannot finish the interrupted save of \"" + path + "\". " +
                             error.message());
}

}  // namespace

void completeInterruptedSave(const std::string& base) {
    namespace fs = std::filesystem;
    const std::string recordPath = base + std::string(kCommitRecordName);
    bool changed = false;
    if (fileExists(recordPath)) {
        changed = true;
        const FileContent record(recordPath);
        for (const auto& [temporary, target] : readRecord(std::string(record.bytes()))) {
            // A file already renamed before the interruption is no longer there.
            std::error_code error;
            if (fs::exists(base + temporary, error)) {
                fs::rename(base + temporary, base + target, error);
            }
            if (error) {
                failToFinish(base + target, error);
            }
        }
        syncFolderOf(recordPath);
        if (std::remove(recordPath.c_str()) != 0) {
            failToFinish(recordPath, std::error_code(errno, std::generic_category()));
        }
    }
    // What an unrecorded save left is of no use. A file that cannot be removed leaves the
    // database as whole as it is, so the open goes on.
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(base, error)) {
        if (!targetOfTemporary(entry.path().filename().string()).empty()) {
            std::error_code ignored;
            changed = fs::remove(entry.path(), ignored) || changed;
        }
    }
    // A folder with nothing to finish or clear, as at every ordinary open, is left untouched.
    if (changed) {
        syncFolderOf(recordPath);
    }
}

bool interruptedSaveRecorded(const std::string& base) {
    return fileExists(base + std::string(kCommitRecordName));
}

TableFileSetWriter::TableFileSetWriter(std::string base) : base_(std::move(base)) {
    completeInterruptedSave(base_);
}

void TableFileSetWriter::write(std::string_view name, const Table& table) {
    auto file = std::make_unique<AtomicFileWriter>(base_ + std::string(name));
    writeDatapacket(table, *file);
    file->flush();
    files_.emplace_back(std::string(name), std::move(file));
}

void TableFileSetWriter::commit() {
    // A rename onto a folder fails; found now, it fails the save before any file is replaced.
    for (const auto& [name, file] : files_) {
        const std::string path = base_ + name;
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            throw std::runtime_error("Cannot create file \"" + path + "\". " +
                                     std::strerror(EISDIR));
        }
    }
    std::string record;
    for (const auto& [name, file] : files_) {
        record += std::filesystem::path(file->temporaryPath()).filename().string() + '\n';
    }
    AtomicFileWriter recordFile(base_ + std::string(kCommitRecordName));
    recordFile.write(record);
    recordFile.commit();
    // From here the save has happened: an interruption is finished by the next open.
    for (auto& [name, file] : files_) {
        file->keepTemporary();
    }
    for (auto& [name, file] : files_) {
        file->commit();
    }
    const std::string recordPath = base_ + std::string(kCommitRecordName);
    if (std::remove(recordPath.c_str()) != 0) {
        throw std::runtime_error("Cannot delete file \"" + recordPath + "\". " +
                                 std::strerror(errno));
    }
    syncFolderOf(recordPath);
}

}  // namespace kalvo
