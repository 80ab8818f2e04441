#include "service/DemoSeeder.h"

#include <fstream>
#include <stdexcept>

#include "service/DemoThumbnail.h"
#include "service/Digest.h"
#include "service/ZipWriter.h"

namespace nimbra::service {

namespace {

void WriteWholeFile(const std::filesystem::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void DemoSeeder::Seed() {
    AccountStore& accounts = m_context.accounts;
    if (!accounts.FindId("demo")) {
        accounts.Add("demo", "demo", m_context.options.defaultQuotaBytes);
        const int64_t account = *accounts.FindId("demo");
        const int64_t myFolder = AddCatalog(account, kTopCatalog, "我的文件夹");
        const int64_t travel = AddCatalog(account, myFolder, "旅行照片");
        const int64_t photos = AddCatalog(account, kTopCatalog, "Photos");
        AddCatalog(account, kTopCatalog, "Music");
        AddFile(account, myFolder, "欢迎使用.txt", "欢迎使用 Nimbra 网盘！\n", false);
        AddFile(account, kTopCatalog, "readme.txt", "Files in the top catalog of the demo account.\n", false);
        AddFile(account, photos, "sunset.jpg", DemoThumbnailJpeg(), true);
        AddFile(account, travel, "行程.txt", "第一天：出发。\n", false);
    }
    WriteSkinArchive();
}

int64_t DemoSeeder::AddCatalog(int64_t accountId, int64_t parentId, const std::string& name) {
    bool existed = false;
    return m_context.catalogs.Create(accountId, parentId, name, existed);
}

void DemoSeeder::AddFile(int64_t accountId, int64_t catalogId, const std::string& name,
                         std::string_view content, bool withThumbnail) {
    FileSha1 hash;
    hash.Update(content.data(), content.size());
    FileRow file;
    file.accountId = accountId;
    file.catalogId = catalogId;
    file.name = name;
    file.size = static_cast<int64_t>(content.size());
    file.sha1 = hash.HexDigest();
    file.hasThumbnail = withThumbnail;
    file.thumbnailBytes = withThumbnail ? static_cast<int64_t>(DemoThumbnailJpeg().size()) : 0;
    SqliteTransaction transaction(m_context.db);
    const int64_t id = m_context.catalogs.AddFile(file);
    WriteWholeFile(m_context.layout.FileContent(id), content);
    if (withThumbnail)
        WriteWholeFile(m_context.layout.FileThumbnail(id), DemoThumbnailJpeg());
    transaction.Commit();
}

void DemoSeeder::WriteSkinArchive() {
    const auto dir = m_context.layout.StaticDir() / "skins";
    const auto archive = dir / "purple.zip";
    if (std::filesystem::exists(archive))
        return;
    std::filesystem::create_directories(dir);
    const std::string styleSheet =
        "/* Nimbra purple skin */\n"
        "QWidget { background-color: #efe7f7; color: #2b1740; }\n"
        "QPushButton { background-color: #7a4fa3; color: white; border-radius: 3px; padding: 3px 8px; }\n";
    if (!WriteZipArchive(archive, {{"purple/skin.qss", styleSheet}}))
        throw std::runtime_error("cannot write " + archive.string());
}

}  // namespace nimbra::service
