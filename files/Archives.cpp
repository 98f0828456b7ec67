#include "files/Archives.h"

#include "files/Platform.h"

#include <archive.h>
#include <archive_entry.h>

#include <vector>

namespace files {
namespace {

constexpr size_t kPiece = 1 << 16;

std::string ArchiveError(archive* handle, const char* fallback) {
    const char* text = archive_error_string(handle);
    return text != nullptr ? text : fallback;
}

struct EntryDeleter {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};
struct WriterDeleter {
    void operator()(archive* handle) const { archive_write_free(handle); }
};

bool CopyInto(archive* zip, std::FILE* in, std::string& error) {
    std::vector<char> piece(kPiece);
    size_t read = 0;
    while ((read = std::fread(piece.data(), 1, piece.size(), in)) > 0) {
        if (archive_write_data(zip, piece.data(), read) != static_cast<la_ssize_t>(read)) {
            error = "the zip archive cannot be written: " + ArchiveError(zip, "write error");
            return false;
        }
    }
    if (std::ferror(in)) {
        error = "cannot be read";
        return false;
    }
    return true;
}

} // namespace

bool WriteZip(const std::string& source, const std::string& entryName, std::FILE* out, std::string& error) {
    SourceFile info;
    std::FILE* in = ReadSourceFile(source, info) ? std::fopen(source.c_str(), "rb") : nullptr;
    if (in == nullptr) {
        error = "cannot be opened";
        return false;
    }
    std::unique_ptr<archive, WriterDeleter> zip(archive_write_new());
    std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname(entry.get(), entryName.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(info.size));
    // No padding to tape blocks: the archive ends where its data ends.
    bool ok = archive_write_set_bytes_in_last_block(zip.get(), 1) == ARCHIVE_OK &&
              archive_write_set_format_zip(zip.get()) == ARCHIVE_OK &&
              archive_write_zip_set_compression_deflate(zip.get()) == ARCHIVE_OK &&
              archive_write_open_FILE(zip.get(), out) == ARCHIVE_OK &&
              archive_write_header(zip.get(), entry.get()) == ARCHIVE_OK;
    if (!ok) {
        error = "the zip archive cannot be written: " + ArchiveError(zip.get(), "write error");
    }
    ok = ok && CopyInto(zip.get(), in, error);
    std::fclose(in);
    if (ok && (archive_write_finish_entry(zip.get()) != ARCHIVE_OK ||
               archive_write_close(zip.get()) != ARCHIVE_OK)) {
        error = "the zip archive cannot be written: " + ArchiveError(zip.get(), "write error");
        ok = false;
    }
    return ok;
}

ArchiveReader::ArchiveReader() : archive_(archive_read_new()) {
    archive_read_support_format_zip(archive_);
    archive_read_support_format_rar(archive_);
    archive_read_support_format_rar5(archive_);
}

ArchiveReader::~ArchiveReader() {
    archive_read_free(archive_);
}

bool ArchiveReader::Open(const std::string& path, std::string& error) {
    if (archive_read_open_filename(archive_, path.c_str(), kPiece) != ARCHIVE_OK) {
        error = "its archive cannot be read: " + ArchiveError(archive_, "not a zip or rar archive");
        return false;
    }
    return true;
}

bool ArchiveReader::Next(std::string& name, bool& isFile, std::string& error) {
    archive_entry* entry = nullptr;
    int result = archive_read_next_header(archive_, &entry);
    if (result == ARCHIVE_EOF) {
        return false;
    }
    if (result != ARCHIVE_OK && result != ARCHIVE_WARN) {
        error = "its archive is damaged: " + ArchiveError(archive_, "unreadable entry");
        return false;
    }
    const char* path = archive_entry_pathname(entry);
    name = path != nullptr ? path : "";
    isFile = archive_entry_filetype(entry) == AE_IFREG;
    return true;
}

long long ArchiveReader::Read(void* buffer, size_t size, std::string& error) {
    la_ssize_t read = archive_read_data(archive_, buffer, size);
    if (read < 0) {
        error = "its archive is damaged: " + ArchiveError(archive_, "unreadable data");
        return -1;
    }
    return read;
}

} // namespace files
