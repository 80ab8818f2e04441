// Folder upload and folder download through the component, with the real engine adapter, engine and an
// in-process nimbra-diskd on 127.0.0.1, driven like a host drives them: the folder is dropped on the
// network-disk page, which creates each catalog on the service and answers through the component; the
// folder download is asked for with the request the host builds from the service's tree. The event loop
// runs with the component's own timers throughout. References, measured in the same run on the same
// files: the engine taking them as one flat batch (StartUpload, and one DownloadFile each).
//
// Prints
//   folder_upload_1000_files_vs_flat_batch      flat batch time / folder upload time (drop to last file
//                                               confirmed)
//   folder_download_1000_files_vs_flat_batch    flat downloads time / DownloadFolder time
//   folder_upload_1000_files_ui_stall_ms        the longest time the UI thread stayed away from its event
//                                               loop (one event, or the drop itself) during a folder
//                                               upload (the worst round)
// with the times behind each (medians of the rounds), and the stall of the flat batch for comparison.

#include <dlfcn.h>
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <pugixml.hpp>
#include <random>
#include <vector>

#include "CatalogRequest.h"
#include "DownloadRequests.h"
#include "FolderTree.h"
#include "NetDiskClient.h"
#include "ServiceClient.h"
#include "ServiceDocuments.h"
#include "TestHost.h"
#include "engine/OrvULD.h"
#include "function/IUIPCallBack.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ComBase.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ScriptedSkin.h"
#include "platform/ScriptedSound.h"
#include "platform/Services.h"
#include "service/DiskService.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFiles = 1000;
constexpr int kRounds = 3;
constexpr const char* kPassword = "bench";
constexpr const char* kRequestPath = "lumenoApp/share/pc_uploadFileRequest";

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "folder bench: %s\n", what.c_str());
    std::exit(1);
}

// "stem" followed by the number. Formatted, not concatenated: GCC's -O3 misreads "stem" + std::string
// as overlapping copies.
std::string Numbered(const char* stem, long n) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%ld", stem, n);
    return text;
}

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Between the adapter and the component: keeps the id of every task the adapter reports, and passes the
// report on to the component only while asked to (the references run without it).
class RecordingCallBack final : public IUIPCallBack {
public:
    explicit RecordingCallBack(IUIPCallBack& component) : m_component(component) {}

    long OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) override {
        if (eventId == UIP_EVENT_UPLOAD_BATCH || eventId == UIP_EVENT_FOLDER_BATCH) {
            for (const tagFileInfo& info : *reinterpret_cast<const FileInfoList*>(wParam)) {
                ids.push_back(info.nFileID);
            }
        } else if (eventId == UIP_EVENT_DOWNLOAD) {
            ids.push_back(reinterpret_cast<const tagFileInfo*>(wParam)->nFileID);
        }
        return forward ? m_component.OnCallBackEvent(eventId, wParam, lParam) : 0;
    }

    std::vector<int32_t> ids;
    bool forward = false;

private:
    IUIPCallBack& m_component;
};

RecordingCallBack* g_callBack = nullptr;

// The longest time the UI thread spends on one event before it is back in its event loop, and on the calls
// the bench makes itself outside the loop (which hold the thread just the same).
class StallMeter final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (!m_measuring || m_depth > 0) {
            return QApplication::notify(receiver, event);
        }
        ++m_depth;
        const auto start = Clock::now();
        const bool result = QApplication::notify(receiver, event);
        Note(Clock::now() - start);
        --m_depth;
        return result;
    }
    void Start() {
        m_longest = {};
        m_measuring = true;
    }
    template <class Work>
    void Held(Work&& work) {
        const auto start = Clock::now();
        work();
        Note(Clock::now() - start);
    }
    double StopMs() {
        m_measuring = false;
        return std::chrono::duration<double, std::milli>(m_longest).count();
    }

private:
    void Note(Clock::duration held) { m_longest = std::max(m_longest, held); }

    bool m_measuring = false;
    int m_depth = 0;
    Clock::duration m_longest{};
};

// The network-disk page of the host: each catalog is created on the service and answered at once.
class BenchNetDisk final : public HostComponent<IUICNetDisk> {
public:
    explicit BenchNetDisk(const nimbra::app::NetDiskClient& disk)
        : HostComponent(IID_IUICNetDisk), m_disk(disk) {}

    long CallFlash(const std::string& request, std::string& /*reply*/) override {
        if (const std::optional<CatalogRequest> creation = ReadCatalogRequest(request)) {
            const std::string answer = m_disk.CreateCatalog(creation->parent, Gb18030ToUtf8(creation->name));
            CreateUIInstance<CUICUploadComp>()->OnCreateNetCatalogResp(answer);
        }
        return 0;
    }
    void ShowSpaceInsufficient() override { Fail("the service has no space"); }

private:
    const nimbra::app::NetDiskClient& m_disk;
};

// The engine's state of a task, through the adapter.
int32_t TaskState(IUIPUpload& adapter, int32_t id, bool upload) {
    if (upload) {
        tagUploadProgress progress;
        return adapter.GetProgress(id, progress) == 0 ? progress.nState : TASK_FAILED;
    }
    tagFileInfo info;
    return adapter.GetProgress(id, 0, info) == 0 ? info.nState : TASK_FAILED;
}

// Runs the event loop until `count` tasks were reported and the engine has finished every one of them,
// looking every 2 ms (the same for every contender). Ends the bench when one fails.
void RunUntilFinished(IUIPUpload& adapter, size_t count, bool upload) {
    QEventLoop loop;
    QTimer look;
    size_t finished = 0;
    const auto deadline = Clock::now() + std::chrono::minutes(5);
    QObject::connect(&look, &QTimer::timeout, [&] {
        while (finished < g_callBack->ids.size()) {
            const int32_t state = TaskState(adapter, g_callBack->ids[finished], upload);
            if (state == TASK_FAILED) {
                Fail(Numbered("failed: task ", g_callBack->ids[finished]));
            }
            if (state != TASK_FINISHED) {
                break;
            }
            ++finished;
        }
        if (finished == count) {
            loop.quit();
        } else if (Clock::now() > deadline) {
            Fail("the transfers did not end within five minutes");
        }
    });
    look.start(2);
    loop.exec();
}

// The contenders take turns at going first, so that neither always meets a warmer service.
void InTurns(int round, const std::function<void()>& flat, const std::function<void()>& folder) {
    (round % 2 == 1 ? flat : folder)();
    (round % 2 == 1 ? folder : flat)();
}

struct LocalFile {
    fs::path relative;
    uint64_t size;
};

// 1,000 files of 4 KiB to 64 KiB in ten folders on two levels: the top one, three below it, two below each
// of those.
std::vector<LocalFile> MakeTree(const fs::path& tree) {
    std::vector<fs::path> folders{""};
    for (const char* first : {"alpha", "beta", "gamma"}) {
        folders.emplace_back(first);
        for (const char* second : {"one", "two"}) {
            folders.push_back(fs::path(first) / second);
        }
    }
    std::mt19937 random(20240607);
    std::vector<LocalFile> files;
    for (int i = 0; i < kFiles; ++i) {
        const fs::path relative = folders[i % folders.size()] / (Numbered("f", 1000 + i) + ".bin");
        const uint64_t size = 4096 + random() % (60 * 1024 + 1);
        fs::create_directories((tree / relative).parent_path());
        std::string content(size, '\0');
        for (char& byte : content) {
            byte = static_cast<char>(random());
        }
        std::ofstream(tree / relative, std::ios::binary) << content;
        files.push_back({relative, size});
    }
    return files;
}

class Bench {
public:
    Bench(StallMeter& stall, nimbra::service::DiskService& service, const std::string& token)
        : m_stall(stall),
          m_service(service),
          m_token(token),
          m_client(Numbered("http://127.0.0.1:", service.Port())),
          m_disk(m_client),
          m_page(m_disk) {
        m_client.SetToken(token);
        m_host.login.loginString = token;
        m_host.sysConfig.config = {m_client.BaseUrl() + "/", token};
        m_host.Offer(IID_IUICNetDisk, &m_page);
    }

    void SignIn(const std::string& loginDoc) {
        RegisterComponentClasses();
        m_adapter = CreateUIInstance<IUIPUpload>();
        IUIPCallBack* component = CreateUIInstance<IUIPCallBack>();
        if (!m_adapter || !component) {
            Fail("engine adapter");
        }
        m_callBack = std::make_unique<RecordingCallBack>(*component);
        g_callBack = m_callBack.get();
        CUIClassFactory::Instance()->Register(
            typeid(IUIPCallBack), [] { return static_cast<void*>(static_cast<IUIPCallBack*>(g_callBack)); });
        m_component = CreateUIInstance<CUICUploadComp>();
        m_component->InitUIP(loginDoc);
        m_component->Register();
        if (m_adapter->GetUIPState() == 0) {
            Fail("the engine is not bound");
        }
        // The catalog the page shows, which dropped folders go into.
        const std::string mine = m_disk.CreateCatalog("root", Gb18030ToUtf8("我的文件夹"));
        if (mine == nimbra::app::kCatalogNotCreated || !m_disk.SelectCurrent(mine)) {
            Fail("no catalog to upload into");
        }
    }

    // The engine alone: the files as one batch into a catalog of their own.
    double FlatUpload(const fs::path& tree, const std::vector<LocalFile>& files, int round, double& stallMs) {
        const std::string catalog = m_disk.CreateCatalog("root", Numbered("flat", round));
        UploadFileList entries;
        for (const LocalFile& file : files) {
            tagUploadFileEntry entry;
            entry.strFilePath = Utf8ToGb18030((tree / file.relative).string());
            entry.ullFileSize = file.size;
            entries.push_back(entry);
        }
        tagUploadInfo info;
        info.strHost = "127.0.0.1";
        info.nPort = m_service.Port();
        info.strRequestPath = kRequestPath;
        info.strTargetCatalogID = catalog;
        info.strSSOKey = m_token;
        BeginRun(false);
        const auto start = Clock::now();
        m_stall.Start();
        m_stall.Held([&] {
            if (m_adapter->StartUpload(entries, info, 0) != 0) {
                Fail("StartUpload");
            }
        });
        RunUntilFinished(*m_adapter, files.size(), true);
        const double seconds = Seconds(Clock::now() - start);
        stallMs = m_stall.StopMs();
        return seconds;
    }

    // Through the component: the folder dropped on the page.
    double FolderUpload(const fs::path& tree, size_t count, double& stallMs) {
        const nimbra::app::ServiceReply document = m_disk.CatalogDocument();
        const auto forComponent = nimbra::app::CatalogDocumentForComponent(document.body);
        if (!document.Ok() || !forComponent) {
            Fail("catalog document");
        }
        const std::string uploadDoc = Utf8ToGb18030(*forComponent);
        BeginRun(true);
        const auto start = Clock::now();
        m_stall.Start();
        m_stall.Held([&] {
            if (m_component->UploadDragFilesToNetDisk(uploadDoc, {}, {Utf8ToGb18030(tree.string())}, 0) !=
                0) {
                Fail("the drop was refused");
            }
        });
        RunUntilFinished(*m_adapter, count, true);
        const double seconds = Seconds(Clock::now() - start);
        stallMs = m_stall.StopMs();
        return seconds;
    }

    // The engine alone: one download per file of the tree, side by side in one folder.
    double FlatDownload(const nimbra::app::FolderTree& remote, const fs::path& target) {
        fs::create_directories(target);
        BeginRun(false);
        const auto start = Clock::now();
        for (size_t i = 0; i < remote.files.size(); ++i) {
            const std::string path = Utf8ToGb18030((target / Numbered("d", static_cast<long>(i))).string());
            m_adapter->DownloadFile(remote.files[i].url, path, DOWNLOAD_KIND_ORDINARY, -1);
        }
        RunUntilFinished(*m_adapter, remote.files.size(), false);
        return Seconds(Clock::now() - start);
    }

    // Through the component: DownloadFolder with the request the page builds.
    double FolderDownload(const nimbra::app::FolderTree& remote, const fs::path& target) {
        fs::create_directories(target);
        const std::string request =
            Utf8ToGb18030(nimbra::app::DownloadFolderDocument("tree", remote.files, remote.folders));
        m_desktop.prompts.QueueFolder(Utf8ToGb18030(target.string()));
        BeginRun(true);
        const auto start = Clock::now();
        m_component->DownloadFolder(request);
        RunUntilFinished(*m_adapter, remote.files.size(), false);
        return Seconds(Clock::now() - start);
    }

    nimbra::app::FolderTree RemoteTree(const std::string& name) {
        std::string error;
        const auto catalogs = m_disk.Catalogs(error);
        for (const auto& node : catalogs ? *catalogs : std::vector<nimbra::app::CatalogNode>{}) {
            if (node.name == name) {
                if (auto tree = nimbra::app::ReadFolderTree(m_disk, node.id, error)) {
                    return *tree;
                }
            }
        }
        Fail("no catalog " + name + " on the service " + error);
    }

    void End() {
        UISingleton<CUICUploadComp>::Destroy();
        m_adapter->Clean();
        CUIClassFactory::Instance()->Unregister(typeid(IUIPCallBack));
    }

private:
    void BeginRun(bool throughComponent) {
        g_callBack->ids.clear();
        g_callBack->forward = throughComponent;
    }

    StallMeter& m_stall;
    nimbra::service::DiskService& m_service;
    std::string m_token;
    nimbra::app::ServiceClient m_client;
    nimbra::app::NetDiskClient m_disk;
    testhost::TestHost m_host;
    BenchNetDisk m_page;
    struct Desktop {
        Desktop() {
            Services::SetPrompts(&prompts);
            Services::SetSkin(&skin);
            Services::SetSound(&sound);
        }
        ~Desktop() {
            Services::SetPrompts(nullptr);
            Services::SetSkin(nullptr);
            Services::SetSound(nullptr);
        }
        ScriptedPrompts prompts;
        ScriptedSkin skin;
        ScriptedSound sound;
    } m_desktop;
    IUIPUpload* m_adapter = nullptr;
    std::unique_ptr<RecordingCallBack> m_callBack;
    CUICUploadComp* m_component = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    StallMeter app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (!dlopen(NIMBRA_ORVUC_PATH, RTLD_NOW | RTLD_LOCAL) ||
        !dlopen(NIMBRA_ORVULD_PATH, RTLD_NOW | RTLD_LOCAL)) {
        Fail(dlerror());
    }
    char folder[] = "/tmp/nimbra-folder-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        Fail("no temporary folder");
    }
    const fs::path dir = folder;
    nimbra::service::ServiceOptions options;
    options.dataDir = dir / "service";
    nimbra::service::DiskService service(options);
    const std::string account = Numbered("bench-", getpid());
    if (!service.Start() || !service.AddAccount(account, kPassword, int64_t{8} << 30)) {
        Fail("nimbra-diskd did not start");
    }
    httplib::Client login("127.0.0.1", service.Port());
    const auto answer =
        login.Post("/lumenoApp/login", httplib::Params{{"account", account}, {"password", kPassword}});
    if (!answer) {
        Fail("no sign-in");
    }
    pugi::xml_document doc;
    doc.load_string(answer->body.c_str());
    const std::string token = doc.select_node("/root/result/signOn").node().text().as_string();
    ComPtr<OrvULD::IOrvGlobals> globals;
    if (CEngineActivation::Engine().CreateInstance(OrvULD::CLSID_OrvGlobals, OrvULD::IID_IOrvGlobals,
                                                   globals) != S_OK) {
        Fail("engine globals");
    }
    globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, account);

    const fs::path local = dir / "local";
    const std::vector<LocalFile> files = MakeTree(local / "tree");
    Bench bench(app, service, token);
    bench.SignIn(Utf8ToGb18030(answer->body));

    std::vector<double> flatUploads, folderUploads, stalls, flatStalls, flatDownloads, folderDownloads;
    for (int round = 1; round <= kRounds; ++round) {
        // A new name each round: a folder named like a catalog in the goal is refused.
        const fs::path tree = local / Numbered("tree", round);
        fs::rename(round == 1 ? local / "tree" : local / Numbered("tree", round - 1), tree);
        double stall = 0;
        const auto flat = [&] {
            flatUploads.push_back(bench.FlatUpload(tree, files, round, stall));
            flatStalls.push_back(stall);
        };
        const auto folder = [&] {
            folderUploads.push_back(bench.FolderUpload(tree, files.size(), stall));
            stalls.push_back(stall);
        };
        InTurns(round, flat, folder);
    }
    const nimbra::app::FolderTree remote = bench.RemoteTree(Numbered("tree", kRounds));
    if (remote.files.size() != files.size() || remote.folders.size() != 9) {
        Fail("the folder did not arrive whole");
    }
    for (int round = 1; round <= kRounds; ++round) {
        const fs::path target = dir / Numbered("down", round);
        const auto flat = [&] { flatDownloads.push_back(bench.FlatDownload(remote, target / "flat")); };
        const auto folder = [&] {
            folderDownloads.push_back(bench.FolderDownload(remote, target / "folder"));
        };
        InTurns(round, flat, folder);
        if (!fs::exists(target / "folder/tree/gamma/two")) {
            Fail("the folder download did not make the tree");
        }
    }
    bench.End();

    std::printf("folder_upload_1000_files_vs_flat_batch: %.3f\n",
                Median(flatUploads) / Median(folderUploads));
    std::printf("folder_upload_1000_files_s: %.3f\n", Median(folderUploads));
    std::printf("folder_upload_1000_files_flat_batch_s: %.3f\n", Median(flatUploads));
    std::printf("folder_download_1000_files_vs_flat_batch: %.3f\n",
                Median(flatDownloads) / Median(folderDownloads));
    std::printf("folder_download_1000_files_s: %.3f\n", Median(folderDownloads));
    std::printf("folder_download_1000_files_flat_batch_s: %.3f\n", Median(flatDownloads));
    // The longest of the rounds, not their median: the goal is about the worst moment.
    std::printf("folder_upload_1000_files_ui_stall_ms: %.1f\n",
                *std::max_element(stalls.begin(), stalls.end()));
    std::printf("folder_upload_1000_files_flat_batch_ui_stall_ms: %.1f\n",
                *std::max_element(flatStalls.begin(), flatStalls.end()));

    service.Stop();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::remove_all(Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + account, ignored);
    return 0;
}
