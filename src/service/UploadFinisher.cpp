#include "service/UploadFinisher.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

#include "service/Digest.h"

namespace nimbra::service {

namespace {

// Flushes a file or folder to the disk; false when that cannot be done.
bool SyncToDisk(const std::filesystem::path& path, int flags = 0) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::string UploadFinisher::WholeFileSha1(const UploadRow& row) {
    if (row.hashOffset == row.length)
        if (auto hash = FileSha1::Restore(row.hashState))
            return hash->HexDigest();
    // The running hash fell behind (e.g. it was never saved for these bytes): read them back.
    FileSha1 hash;
    std::ifstream in(m_context.layout.UploadContent(row.id), std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
        hash.Update(buffer.data(), static_cast<size_t>(in.gcount()));
    return hash.HexDigest();
}

UploadFinisher::Result UploadFinisher::Finish(UploadRow& row) {
    const std::string sha1 = WholeFileSha1(row);
    if (!row.expectedSha1.empty() && Lower(row.expectedSha1) != sha1) {
        Discard(row);
        return Result::ChecksumMismatch;
    }
    FileRow file;
    file.accountId = row.accountId;
    file.catalogId = row.catalogId;
    file.name = row.filename;
    file.size = row.length;
    file.tag = row.tag;
    file.description = row.description;
    file.appType = row.appType;
    file.complexFlag = row.complexFlag;
    file.complexCid = row.complexCid;
    file.sha1 = sha1;

    const auto& layout = m_context.layout;
    // Chunks were not synced one by one: the whole file reaches the disk before it joins its catalog.
    if (!SyncToDisk(layout.UploadContent(row.id)))
        return Result::Failed;
    // The transaction holds the database lock: AttachThumbnail sees the upload either before (and leaves
    // its picture where this finds it) or after (and moves the picture itself).
    SqliteTransaction transaction(m_context.db);
    file.hasThumbnail = std::filesystem::exists(layout.UploadThumbnail(row.id));
    const int64_t fileId = m_context.catalogs.AddFile(file);
    m_context.uploads.MarkFinished(row.id, fileId);
    std::error_code ec;
    std::filesystem::rename(layout.UploadContent(row.id), layout.FileContent(fileId), ec);
    if (ec)
        return Result::Failed;
    if (file.hasThumbnail)
        std::filesystem::rename(layout.UploadThumbnail(row.id), layout.FileThumbnail(fileId), ec);
    SyncToDisk(layout.FileContent(fileId).parent_path(), O_DIRECTORY);
    transaction.Commit();
    row.fileId = fileId;
    row.offset = row.length;
    return Result::Done;
}

bool UploadFinisher::AttachThumbnail(const std::string& uploadId, int64_t accountId,
                                     const std::string& jpeg) {
    const auto& layout = m_context.layout;
    const auto staged = std::filesystem::path(layout.UploadThumbnail(uploadId).string() + ".tmp");
    {
        std::ofstream out(staged, std::ios::binary | std::ios::trunc);
        out.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(staged, layout.UploadThumbnail(uploadId), ec);
    if (ec)
        return false;
    auto lock = m_context.db.Lock();
    const auto row = m_context.uploads.Find(uploadId, accountId);
    if (!row)
        return false;
    if (!row->fileId)
        return true;
    std::filesystem::rename(layout.UploadThumbnail(uploadId), layout.FileThumbnail(*row->fileId), ec);
    if (ec)
        return false;
    m_context.catalogs.SetFileThumbnail(*row->fileId);
    return true;
}

void UploadFinisher::Discard(const UploadRow& row) {
    m_context.uploads.Remove(row.id);
    std::error_code ec;
    std::filesystem::remove(m_context.layout.UploadContent(row.id), ec);
    std::filesystem::remove(m_context.layout.UploadThumbnail(row.id), ec);
}

}  // namespace nimbra::service
