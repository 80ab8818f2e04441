#include "service/UploadFinisher.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "service/Digest.h"
#include "service/RandomToken.h"

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

UploadFinisher::UploadFinisher(ServiceContext& context)
    : m_context(context),
      m_placing([this](const std::vector<Finishing*>& batch) { Place(batch); }),
      m_recording([this](const std::vector<Finishing*>& batch) { RecordPlaced(batch); }) {}

UploadFinisher::Result UploadFinisher::Finish(UploadRow& row) {
    const std::string sha1 = WholeFileSha1(row);
    if (!row.expectedSha1.empty() && Lower(row.expectedSha1) != sha1) {
        Discard(row.id);
        return Result::ChecksumMismatch;
    }
    Finishing finishing{row, {}, false, std::nullopt};
    FileRow& file = finishing.file;
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
    // Two stages, so that one batch's files are synced while the batch before is committed.
    m_placing.Submit(finishing);
    if (finishing.placed)
        m_recording.Submit(finishing);
    if (!finishing.fileId)
        return Result::Failed;
    row.fileId = finishing.fileId;
    row.offset = row.length;
    return Result::Done;
}

void UploadFinisher::Place(const std::vector<Finishing*>& batch) {
    const auto& layout = m_context.layout;
    std::vector<Finishing*> placed;
    try {
        if (m_nextFileId == 0)
            m_nextFileId = m_context.catalogs.NextFileId();
        // Each file takes its place first, so that one round of syncs makes both its bytes and its name
        // durable; the catalog entry that points at it is committed only after that.
        for (auto* finishing : batch) {
            finishing->file.id = m_nextFileId++;
            std::error_code ec;
            std::filesystem::rename(layout.UploadContent(finishing->row.id),
                                    layout.FileContent(finishing->file.id), ec);
            if (!ec)
                placed.push_back(finishing);
        }
        if (placed.empty() || SyncContents(placed)) {
            for (auto* finishing : placed)
                finishing->placed = true;
            return;
        }
    } catch (const std::exception& e) {
        std::cerr << "nimbra-diskd: finishing uploads failed: " << e.what() << std::endl;
    }
    PutBack(placed);
}

void UploadFinisher::RecordPlaced(const std::vector<Finishing*>& batch) {
    try {
        Record(batch);
        return;
    } catch (const std::exception& e) {
        std::cerr << "nimbra-diskd: finishing uploads failed: " << e.what() << std::endl;
    }
    PutBack(batch);
}

void UploadFinisher::PutBack(const std::vector<Finishing*>& placed) {
    // Not recorded: the bytes go back to their uploads, which the clients can finish again.
    const auto& layout = m_context.layout;
    for (auto* finishing : placed) {
        std::error_code ec;
        std::filesystem::rename(layout.FileContent(finishing->file.id),
                                layout.UploadContent(finishing->row.id), ec);
    }
}

bool UploadFinisher::SyncContents(const std::vector<Finishing*>& placed) {
    // Chunks were not synced one by one. The bytes of every file are written out (all started, then all
    // waited for) before the first sync, so that the journal commit of that sync takes every file and name
    // along and the other syncs find little left to do.
    std::vector<int> fds;
    for (const auto* finishing : placed) {
        const int fd = open(m_context.layout.FileContent(finishing->file.id).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
            sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        fds.push_back(fd);
    }
    for (const int fd : fds) {
        if (fd >= 0)
            sync_file_range(fd, 0, 0,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    }
    bool synced = true;
    for (const int fd : fds) {
        synced = fd >= 0 && fsync(fd) == 0 && synced;
        if (fd >= 0)
            close(fd);
    }
    return synced &&
           SyncToDisk(m_context.layout.FileContent(placed.front()->file.id).parent_path(), O_DIRECTORY);
}

void UploadFinisher::Record(const std::vector<Finishing*>& placed) {
    const auto& layout = m_context.layout;
    // A picture attached to the upload (under its lock, which its finishing request holds) moves with it.
    SqliteTransaction transaction(m_context.db);
    bool movedThumbnail = false;
    for (auto* finishing : placed) {
        const std::string& id = finishing->row.id;
        FileRow& file = finishing->file;
        std::error_code ec;
        file.hasThumbnail = std::filesystem::exists(layout.UploadThumbnail(id), ec);
        if (file.hasThumbnail) {
            file.thumbnailBytes =
                static_cast<int64_t>(std::filesystem::file_size(layout.UploadThumbnail(id), ec));
            std::filesystem::rename(layout.UploadThumbnail(id), layout.FileThumbnail(file.id), ec);
            movedThumbnail = true;
        }
        m_context.catalogs.AddFile(file);
        m_context.uploads.MarkFinished(id, file.id);
    }
    if (movedThumbnail)
        SyncToDisk(layout.FileThumbnail(placed.front()->file.id).parent_path(), O_DIRECTORY);
    transaction.Commit();
    for (auto* finishing : placed)
        finishing->fileId = finishing->file.id;
}

UploadFinisher::Attached UploadFinisher::AttachThumbnail(const std::string& uploadId, int64_t accountId,
                                                         const std::string& jpeg) {
    const auto& layout = m_context.layout;
    // A file of its own: a picture being written never replaces another one half-way.
    const auto staged =
        std::filesystem::path(layout.UploadThumbnail(uploadId).string() + "." + RandomHex(8) + ".tmp");
    std::error_code ec;
    {
        std::ofstream out(staged, std::ios::binary | std::ios::trunc);
        out.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
        if (!out.flush()) {
            std::filesystem::remove(staged, ec);
            return Attached::Failed;
        }
    }
    const auto bytes = static_cast<int64_t>(jpeg.size());
    SqliteTransaction transaction(m_context.db);
    const auto row = m_context.uploads.Find(uploadId, accountId);
    const auto file =
        row && row->fileId ? m_context.catalogs.FindFile(accountId, *row->fileId) : std::nullopt;
    Attached verdict = Attached::Yes;
    if (!row || (row->fileId && !file))
        verdict = Attached::UploadGone;
    else if (bytes - (file ? file->thumbnailBytes : row->thumbnailBytes) > m_context.space.Spare(accountId))
        verdict = Attached::NoSpace;
    else
        std::filesystem::rename(staged,
                                file ? layout.FileThumbnail(file->id) : layout.UploadThumbnail(uploadId), ec);
    if (verdict != Attached::Yes || ec) {
        std::filesystem::remove(staged, ec);
        return verdict == Attached::Yes ? Attached::Failed : verdict;
    }
    if (file)
        m_context.catalogs.SetFileThumbnail(file->id, bytes);
    else
        m_context.uploads.SetThumbnailBytes(uploadId, bytes);
    transaction.Commit();
    return Attached::Yes;
}

void UploadFinisher::Discard(const std::string& uploadId) {
    m_context.uploads.Remove(uploadId);
    std::error_code ec;
    std::filesystem::remove(m_context.layout.UploadContent(uploadId), ec);
    std::filesystem::remove(m_context.layout.UploadThumbnail(uploadId), ec);
}

}  // namespace nimbra::service
