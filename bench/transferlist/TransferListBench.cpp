// One refresh tick of the transfer list with 10,000 upload records, half of them running, polled through
// the real engine adapter and engine against a real nimbra-diskd on 127.0.0.1. Prints
//   transfer_list_tick_10000_ms        the tick: polling, records and the list's rows
//   transfer_list_tick_10000_poll_ms   of which the engine's progress queries
//   transfer_list_tick_10000_view_ms   the rest of the tick plus repainting the shown list
// The engine's tasks are real (created, uploaded and finished through the service); since a finished task
// stays finished, the harness reports every polled task as still running with a moving byte count, so that
// every tick changes every running row as it would during real transfers.

#include <dlfcn.h>
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <thread>
#include <vector>

#include "TestHost.h"
#include "engine/OrvULD.h"
#include "function/IUIPCallBack.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "platform/CodePage.h"
#include "platform/ComBase.h"
#include "service/DiskService.h"
#include "uic/UICUploadFile/frame/UICUploadComp.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTasks = 10000;
constexpr int kTicks = 15;
constexpr uint64_t kFileSize = 1024 * 1024;  // the size the list believes; the files on disk are small
constexpr const char* kPassword = "bench";

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The real adapter underneath; progress answers keep the task running and count the time spent polling.
class RunningAdapter final : public IUIPUpload {
public:
    explicit RunningAdapter(IUIPUpload& real) : m_real(real) {}

    long InitUIPComp() override { return m_real.InitUIPComp(); }
    long UninitUIPComp() override { return m_real.UninitUIPComp(); }
    long StartUpload(UploadFileList& f, const tagUploadInfo& i, long k) override {
        return m_real.StartUpload(f, i, k);
    }
    long GetUIPState() override { return m_real.GetUIPState(); }
    long Clean() override { return m_real.Clean(); }
    long SyncUploadTask() override { return m_real.SyncUploadTask(); }
    long GetLastUploadList(UploadFileList& f) override { return m_real.GetLastUploadList(f); }
    long PauseUpload(long id) override { return m_real.PauseUpload(id); }
    long ResumeUpload(long id) override { return m_real.ResumeUpload(id); }
    long AbortUpload(long id) override { return m_real.AbortUpload(id); }
    long DeleteUpload(long id) override { return m_real.DeleteUpload(id); }
    long ContUpload(long id) override { return m_real.ContUpload(id); }
    long GetProgress(long id, long isUpload, tagFileInfo& info) override {
        const auto start = Clock::now();
        const long result = m_real.GetProgress(id, isUpload, info);
        m_pollTime += Clock::now() - start;
        ++m_polls;
        info.nState = TASK_RUNNING;
        info.ullDoneSize = std::min<uint64_t>(kFileSize - 1, m_tick * 4096 + static_cast<uint64_t>(id % 997));
        return result;
    }
    long GetProgress(long id, tagUploadProgress& p) override { return m_real.GetProgress(id, p); }
    long GetDownLOadProgress(long& percent, tagFileInfo& info) override {
        return m_real.GetDownLOadProgress(percent, info);
    }
    long GetTaskList(long isUpload, FileInfoMap& tasks) override {
        return m_real.GetTaskList(isUpload, tasks);
    }
    long DownloadFile(const std::string& u, const std::string& p, long k, LPARAM v) override {
        return m_real.DownloadFile(u, p, k, v);
    }
    long ContTask(long id, long up) override { return m_real.ContTask(id, up); }
    long PauseTask(long id, long up) override { return m_real.PauseTask(id, up); }
    long ResumeTask(long id, long up) override { return m_real.ResumeTask(id, up); }
    long DeleteTask(long id, long up) override { return m_real.DeleteTask(id, up); }
    long AbortTask(long id, long up) override { return m_real.AbortTask(id, up); }
    long Init(const std::string& r, const std::string& h, long p, const std::string& s) override {
        return m_real.Init(r, h, p, s);
    }
    long GetErrorCode(long id, long up) override { return m_real.GetErrorCode(id, up); }
    long SetSSOFlag(long flag) override { return m_real.SetSSOFlag(flag); }
    long GetNextTry(long id, long up) override { return m_real.GetNextTry(id, up); }

    void NextTick() {
        ++m_tick;
        m_pollTime = {};
        m_polls = 0;
    }
    Clock::duration PollTime() const { return m_pollTime; }
    int Polls() const { return m_polls; }

private:
    IUIPUpload& m_real;
    uint64_t m_tick = 0;
    Clock::duration m_pollTime{};
    int m_polls = 0;
};

RunningAdapter* g_adapter = nullptr;

std::string SignIn(int port, const std::string& account) {
    httplib::Client client("127.0.0.1", port);
    const auto answer =
        client.Post("/lumenoApp/login", httplib::Params{{"account", account}, {"password", kPassword}});
    if (!answer) {
        return {};
    }
    pugi::xml_document doc;
    doc.load_string(answer->body.c_str());
    return doc.select_node("/root/result/signOn").node().text().as_string();
}

int Fail(const char* what) {
    std::fprintf(stderr, "transferlist bench: %s\n", what);
    return 1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (!dlopen(NIMBRA_ORVUC_PATH, RTLD_NOW | RTLD_LOCAL) ||
        !dlopen(NIMBRA_ORVULD_PATH, RTLD_NOW | RTLD_LOCAL)) {
        return Fail(dlerror());
    }
    char folder[] = "/tmp/nimbra-transferlist-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        return Fail("no temporary folder");
    }
    const fs::path dir = folder;
    nimbra::service::ServiceOptions options;
    options.dataDir = dir / "service";
    options.maxUploadFiles = kTasks;
    nimbra::service::DiskService service(options);
    const std::string account = "bench-" + std::to_string(getpid());
    if (!service.Start() || !service.AddAccount(account, kPassword, int64_t{4} << 30)) {
        return Fail("nimbra-diskd did not start");
    }
    const std::string token = SignIn(service.Port(), account);
    testhost::TestHost host;
    host.login.loginString = token;
    host.sysConfig.config = {"http://127.0.0.1:" + std::to_string(service.Port()) + "/", token};

    ComPtr<OrvULD::IOrvGlobals> globals;
    if (CEngineActivation::Engine().CreateInstance(OrvULD::CLSID_OrvGlobals, OrvULD::IID_IOrvGlobals,
                                                   globals) != S_OK) {
        return Fail("engine globals");
    }
    globals->SetVariable(OrvULD::D_GLOBAL_USERNAME, account);
    RegisterComponentClasses();
    IUIPUpload* real = CreateUIInstance<IUIPUpload>();
    if (!real || real->InitUIPComp() != 0) {
        return Fail("engine adapter");
    }
    // The batch reaches the engine without announcing itself: the list gets its records below.
    CUIClassFactory::Instance()->Unregister(typeid(IUIPCallBack));

    UploadFileList files;
    for (int i = 0; i < kTasks; ++i) {
        const fs::path path = dir / ("file" + std::to_string(i) + ".txt");
        std::ofstream(path) << "transfer list bench " << i;
        tagUploadFileEntry entry;
        entry.strFilePath = Utf8ToGb18030(path.string());
        entry.ullFileSize = fs::file_size(path);
        files.push_back(entry);
    }
    tagUploadInfo info;
    info.strHost = "127.0.0.1";
    info.nPort = service.Port();
    info.strRequestPath = "lumenoApp/share/pc_uploadFileRequest";
    info.strTargetCatalogID = ROOT_CATALOG_ID;
    info.strSSOKey = token;
    if (real->StartUpload(files, info, 0) != 0) {
        return Fail("StartUpload");
    }
    // Let the engine finish its uploads, so that it is quiet while the ticks are measured. The tasks
    // finish about in order: wait for the last one, then for any other still at work.
    const auto deadline = Clock::now() + std::chrono::minutes(5);
    for (auto task = files.rbegin(); task != files.rend() && Clock::now() < deadline;) {
        tagFileInfo progress;
        if (real->GetProgress(std::stol(task->strFileID), 1, progress) == 0 &&
            progress.nState == TASK_FINISHED) {
            ++task;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    RunningAdapter adapter(*real);
    g_adapter = &adapter;
    CUIClassFactory::Instance()->Register(typeid(IUIPUpload), [] { return static_cast<void*>(g_adapter); });
    CUICUploadComp* component = CreateUIInstance<CUICUploadComp>();
    CUICTransmitDlg* list = component->GetTransmitDlg();
    if (!list) {
        return Fail("transfer list");
    }
    FileInfoList records;
    for (int i = 0; i < kTasks; ++i) {
        tagFileInfo record;
        record.nFileID = static_cast<int32_t>(std::stol(files[i].strFileID));
        record.strFilePath = files[i].strFilePath;
        record.ullFileSize = kFileSize;
        record.nState = i % 2 == 0 ? TASK_RUNNING : TASK_PAUSED;
        record.strNetPath = "我的网盘";
        records.push_back(record);
    }
    list->AddUpload(&records);
    list->show();
    QCoreApplication::processEvents();

    std::vector<double> ticks;
    std::vector<double> polls;
    std::vector<double> views;
    for (int tick = 0; tick < kTicks; ++tick) {
        adapter.NextTick();
        const auto start = Clock::now();
        list->OnTimer(CUICTransmitDlg::kUploadTimer);
        // Painting now rather than from the event loop, where the list's own timer could tick as well.
        list->List()->viewport()->repaint();
        const auto total = Clock::now() - start;
        if (adapter.Polls() != kTasks / 2) {
            std::fprintf(stderr, "polled %d of %d running tasks\n", adapter.Polls(), kTasks / 2);
            return Fail("not every running task was polled");
        }
        ticks.push_back(Milliseconds(total));
        polls.push_back(Milliseconds(adapter.PollTime()));
        views.push_back(Milliseconds(total - adapter.PollTime()));
    }
    std::printf("transfer_list_tick_10000_ms: %.2f\n", Median(ticks));
    std::printf("transfer_list_tick_10000_poll_ms: %.2f\n", Median(polls));
    std::printf("transfer_list_tick_10000_view_ms: %.2f\n", Median(views));

    UISingleton<CUICUploadComp>::Destroy();
    real->Clean();
    service.Stop();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::remove_all(Gb18030ToUtf8(CToolsHelp::GetProgramDir()) + account, ignored);
    return 0;
}
