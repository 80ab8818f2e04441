// Binding the engine to the account, the proxy, state queries, teardown and the error conventions.

#include <stdexcept>

#include "AdapterFixture.h"
#include "function/UIClassFactory.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(UIPStateMapping, EngineStatesMapOntoProgramTaskStates) {
    const long expected[] = {TASK_WAITING,  TASK_WAITING, TASK_RUNNING,     TASK_OTHER,
                             TASK_OTHER,    TASK_PAUSED,  TASK_OTHER,       TASK_OTHER,
                             TASK_FINISHED, TASK_FAILED,  TASK_ENGINE_ERROR};
    for (long state = 0; state <= 10; ++state) {
        EXPECT_EQ(expected[state], CUIPUploadComp::GetState(state)) << "engine state " << state;
    }
    EXPECT_EQ(TASK_OTHER, CUIPUploadComp::GetState(11));
    EXPECT_EQ(TASK_OTHER, CUIPUploadComp::GetState(-1));
}

TEST(UIPEventReceiver, DispatcherKnowsNoHandler) {
    CEngineActivation activation{std::initializer_list<EngineLibraryClasses>{}};
    CUIPUploadComp adapter(activation);
    EXPECT_EQ(1, adapter.__eventHandlerProxy(-1, nullptr, nullptr));
    EXPECT_EQ(E_FAIL, adapter.__eventHandlerProxy(0, nullptr, nullptr));
    EXPECT_EQ(E_FAIL, adapter.__eventHandlerProxy(2, nullptr, nullptr));
}

TEST(UIPClassFactory, HandsOutTheAdapterSingleton) {
    RegisterUIPUploadClasses();
    IUIPUpload* first = CreateUIInstance<IUIPUpload>();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, CreateUIInstance<IUIPUpload>());
    EXPECT_NE(nullptr, dynamic_cast<CUIPUploadComp*>(first));
    CUIClassFactory::Instance()->Unregister(typeid(IUIPUpload));
}

TEST_F(UIPAdapterTest, InitBindsTheAccountWithProxyAndDatabasePath) {
    m_globals->variables[OrvULD::D_GLOBAL_PROXYADDR] = "proxy.local";
    m_globals->variables[OrvULD::D_GLOBAL_PROXYPORT] = "3128";
    m_globals->variables[OrvULD::D_GLOBAL_PROXYNAME] = "joe";
    m_globals->variables[OrvULD::D_GLOBAL_PROXYPSASSWORD] = "secret";

    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_THAT(m_engine->calls, ElementsAre("ProxyAddr(proxy.local,3128)", "ProxyNameAndPwd(joe,secret)",
                                             "Init(demo,,,0,," + DatabasePath("demo") + ")"));
    const std::string log = LogSinceStart();
    EXPECT_THAT(log, HasSubstr("组件接口日志调用前: CUIPUploadComp::InitUIPComp, HRESULT hResult = "
                               "m_spUpload.CreateInstance( __uuidof( OrvUpLoad ) )"));
    EXPECT_THAT(log, HasSubstr("组件接口日志调用后: CUIPUploadComp::InitUIPComp, a_straddr = "
                               "(_bstr_t)spGlobals->GetVariable(D_GLOBAL_PROXYADDR)"));
}

TEST_F(UIPAdapterTest, EmptyProxyGlobalsStillReachTheEngine) {
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_THAT(m_engine->calls,
                ElementsAre("ProxyAddr(,0)", "ProxyNameAndPwd(,)", testing::StartsWith("Init(")));

    m_globals->variables[OrvULD::D_GLOBAL_PROXYPORT] = "port";
    EXPECT_EQ(0, m_adapter.Clean());
    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_EQ("ProxyAddr(,0)", m_engine->calls.at(0)) << "a port that is no number is 0";
}

TEST_F(UIPAdapterTest, SecondInitDoesNotTouchTheEngine) {
    Bind();
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_TRUE(m_engine->calls.empty());
    EXPECT_EQ(1, m_engineFactory->created);
}

TEST_F(UIPAdapterTest, FailedEngineInitLeavesTheAdapterUnboundAndIsRetried) {
    m_engine->faults["Init"] = [] { throw ComError(E_FAIL); };
    EXPECT_EQ(-1, m_adapter.InitUIPComp());
    EXPECT_THAT(LogSinceStart(),
                HasSubstr("CUIPUploadComp::InitUIPComp, 异常描述：Unspecified error 错误ID = 80004005"));

    m_engine->faults.clear();
    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_FALSE(m_engine->calls.empty());
}

TEST_F(UIPAdapterTest, EngineInitReturningFailureIsLogged) {
    m_engine->initResult = E_UNEXPECTED;
    EXPECT_EQ(-1, m_adapter.InitUIPComp());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::InitUIPComp, Info = hResult为空, 错误"));
}

TEST_F(UIPAdapterTest, NoEngineClassMeansNoBindingAndNoTasks) {
    RevokeClassFactory(OrvULD::CLSID_OrvUpLoad);
    EXPECT_EQ(-1, m_adapter.InitUIPComp());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::InitUIPComp, Info = hResult为空, 错误"));
    EXPECT_EQ(0, m_adapter.GetUIPState());
    EXPECT_EQ(-1, m_adapter.SyncUploadTask());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::SyncUploadTask, error = m_spUpload为空, 错误"));
    UploadFileList files;
    FileInfoMap tasks;
    EXPECT_EQ(-1, m_adapter.StartUpload(files, tagUploadInfo{}, 0));
    EXPECT_EQ(-1, m_adapter.GetTaskList(1, tasks));
    EXPECT_EQ(-1, m_adapter.DownloadFile("u", "p", -1, 0));
    EXPECT_EQ(-1, m_adapter.PauseTask(1, 1));
    EXPECT_TRUE(m_engine->calls.empty());
    EXPECT_TRUE(m_callBack.events.empty());
}

TEST_F(UIPAdapterTest, MissingGlobalsFailTheBinding) {
    RevokeClassFactory(OrvULD::CLSID_OrvGlobals);
    EXPECT_EQ(-1, m_adapter.InitUIPComp());
    EXPECT_TRUE(m_engine->calls.empty());
}

TEST_F(UIPAdapterTest, UninitAndCleanClearTheBinding) {
    Bind();
    EXPECT_EQ(0, m_adapter.UninitUIPComp());
    EXPECT_EQ(2, m_adapter.GetUIPState()) << "UninitUIPComp keeps the engine object";
    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_THAT(m_engine->calls, testing::Contains(testing::StartsWith("Init(")))
        << "unbound, so bound again";

    EXPECT_EQ(0, m_adapter.Clean());
    EXPECT_EQ(0, m_adapter.GetUIPState()) << "no engine after Clean";
    m_engine->calls.clear();
    EXPECT_EQ(0, m_adapter.InitUIPComp());
    EXPECT_THAT(m_engine->calls, testing::Contains(testing::StartsWith("Init(")));
}

TEST_F(UIPAdapterTest, UIPStateTellsNotReadyBusyAndIdle) {
    EXPECT_EQ(0, m_adapter.GetUIPState()) << "unbound";
    Bind();
    m_engine->state = 1;
    m_engine->activeTaskCount = 4;
    EXPECT_EQ(0, m_adapter.GetUIPState()) << "synchronising, whatever the count";
    m_engine->state = 0;
    EXPECT_EQ(1, m_adapter.GetUIPState());
    m_engine->activeTaskCount = 0;
    EXPECT_EQ(2, m_adapter.GetUIPState());
}

TEST_F(UIPAdapterTest, FailingStateQueryStillCountsTasks) {
    Bind();
    m_engine->faults["GetState"] = [] { throw ComError(E_FAIL); };
    m_engine->activeTaskCount = 2;
    EXPECT_EQ(1, m_adapter.GetUIPState());
    m_engine->faults["GetActiveTaskCount"] = [] { throw std::runtime_error("gone"); };
    EXPECT_EQ(-1, m_adapter.GetUIPState());
    EXPECT_THAT(LogSinceStart(), HasSubstr("CUIPUploadComp::GetUIPState, info = 组件产生异常"));
}

TEST_F(UIPAdapterTest, InitRebindsWithTheGivenTexts) {
    Bind();
    EXPECT_EQ(0, m_adapter.Init("lumenoApp/share/pc_uploadFileRequest", "127.0.0.1", 8080, "签名"));
    EXPECT_THAT(m_engine->calls,
                ElementsAre("Init(demo,lumenoApp/share/pc_uploadFileRequest,127.0.0.1,8080," +
                            Utf8(u8"签名") + "," + DatabasePath("demo") + ")"));
    EXPECT_EQ(0, m_adapter.UninitUIPComp());
}

TEST_F(UIPAdapterTest, InitWithoutEngineFails) {
    EXPECT_EQ(-1, m_adapter.Init("p", "h", 1, "s"));
    EXPECT_TRUE(m_engine->calls.empty());
}

TEST_F(UIPAdapterTest, SyncLogsItsCallBeforeAndAfter) {
    Bind();
    EXPECT_EQ(0, m_adapter.SyncUploadTask());
    EXPECT_THAT(m_engine->calls, ElementsAre("SyncUploadTask"));
    const std::string log = LogSinceStart();
    const size_t before = log.find(
        "组件接口日志调用前: CUIPUploadComp::SyncUploadTask, HRESULT hResult = m_spUpload->SyncUploadTask()");
    const size_t after = log.find(
        "组件接口日志调用后: CUIPUploadComp::SyncUploadTask, HRESULT hResult = m_spUpload->SyncUploadTask()");
    ASSERT_NE(std::string::npos, before);
    ASSERT_NE(std::string::npos, after);
    EXPECT_LT(before, after);
    EXPECT_THAT(log, HasSubstr("Enter CUIPUploadComp::SyncUploadTask"));
    EXPECT_THAT(log, HasSubstr("Exit Function CUIPUploadComp::SyncUploadTask"));
}

TEST_F(UIPAdapterTest, ThrowingCallHasNoAfterLine) {
    Bind();
    m_engine->faults["SyncUploadTask"] = [] { throw ComError(static_cast<HRESULT>(0x80040205)); };
    EXPECT_EQ(-1, m_adapter.SyncUploadTask());
    const std::string log = LogSinceStart();
    EXPECT_THAT(log,
                HasSubstr("CUIPUploadComp::SyncUploadTask, 异常描述：IDispatch error #5 错误ID = 80040205"));
    EXPECT_THAT(log, Not(HasSubstr("组件接口日志调用后: CUIPUploadComp::SyncUploadTask")));
}
