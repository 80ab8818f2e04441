#include "service/DemoSeeder.h"

#include <fstream>
#include <stdexcept>

#include "service/DemoDownloads.h"
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

// The skins the client does not ship: it downloads them from static/skins/NAME.zip when picked.
struct DemoSkin {
    const char* name;
    const char* styleSheet;
};

constexpr DemoSkin kDemoSkins[] = {
    {"purple",
     "/* Nimbra skin: Elegant purple */\n"
     "QWidget { color: #2d1b4e; }\n"
     "QMainWindow, QDialog { background-color: #f5f0fa; }\n"
     "QMenuBar { background-color: #6b3fa0; color: white; }\n"
     "QMenuBar::item:selected { background-color: #7e52b5; }\n"
     "QStatusBar { background-color: #e9def5; color: #2d1b4e; }\n"
     "QPushButton { background-color: #6b3fa0; color: white; border: none; border-radius: 4px; "
     "padding: 5px 12px; }\n"
     "QPushButton:hover { background-color: #7e52b5; }\n"
     "QPushButton:disabled { background-color: #d4c3e8; }\n"
     "QProgressBar { border: 1px solid #d4c3e8; border-radius: 3px; background-color: white; }\n"
     "QProgressBar::chunk { background-color: #6b3fa0; }\n"
     "QTreeWidget, QTableWidget { background-color: white; border: 1px solid #d4c3e8; "
     "selection-background-color: #e4d5f3; selection-color: #2d1b4e; }\n"
     "QHeaderView::section { background-color: #e9def5; border: none; border-right: 1px solid #d4c3e8; "
     "padding: 4px; color: #2d1b4e; }\n"
     "QLabel#Notice { background-color: #fff4d6; border: 1px solid #f0c36d; border-radius: 4px; "
     "padding: 6px; color: #5a4100; }\n"
     "QLabel#DropHint { color: #2d1b4e; padding: 6px; border: 1px dashed #d4c3e8; border-radius: 4px; }\n"},
};

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
    WriteSkinArchives();
    DemoDownloads::Write(m_context.layout.StaticDir());
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

void DemoSeeder::WriteSkinArchives() {
    const auto dir = m_context.layout.StaticDir() / "skins";
    std::filesystem::create_directories(dir);
    for (const DemoSkin& skin : kDemoSkins) {
        const auto archive = dir / (std::string(skin.name) + ".zip");
        if (std::filesystem::exists(archive))
            continue;
        if (!WriteZipArchive(archive, {{std::string(skin.name) + "/skin.qss", skin.styleSheet}}))
            throw std::runtime_error("cannot write " + archive.string());
    }
}

}  // namespace nimbra::service
