// The engine libraries as a host loads them: class objects, interfaces, process-wide globals, binding.

#include <gtest/gtest.h>

#include "EngineLibrary.h"
#include "TempDir.h"

namespace nimbra::engine {
namespace {

TEST(EngineContractTest, EachLibraryServesOnlyItsOwnClassAndItsObjectsAnswerTheirInterfaces) {
    EngineLibrary library;
    ASSERT_TRUE(library.UploadEntry());
    void* out = nullptr;
    EXPECT_EQ(library.UploadEntry()(OrvULD::CLSID_OrvGlobals, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    auto engine = library.CreateUpload();
    ASSERT_TRUE(engine);
    EXPECT_FALSE(engine.As<OrvULD::IOrvGlobals>(OrvULD::IID_IOrvGlobals));
    EXPECT_TRUE(engine.As<IUnknown>(IID_IUnknown));
    EXPECT_TRUE(library.CreateGlobals());
}

TEST(EngineContractTest, GlobalsAreSharedByEveryObjectOfTheProcess) {
    EngineLibrary library;
    auto writer = library.CreateGlobals();
    auto reader = library.CreateGlobals();
    ASSERT_TRUE(writer && reader);
    writer->SetVariable(OrvULD::D_GLOBAL_USERNAME, "alice");
    writer->SetVariable(OrvULD::D_GLOBAL_PROXYPORT, "3128");
    EXPECT_EQ(reader->GetVariable(OrvULD::D_GLOBAL_USERNAME), "alice");
    EXPECT_EQ(reader->GetVariable(OrvULD::D_GLOBAL_PROXYPORT), "3128");
    EXPECT_EQ(reader->GetVariable(OrvULD::D_GLOBAL_PROXYNAME), "");
}

TEST(EngineContractTest, UnboundEngineReportsBusyAndRefusesTasksUntilInitGivesItADatabase) {
    EngineLibrary library;
    TempDir dir;
    auto engine = library.CreateUpload();
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->GetState(), 1);
    EXPECT_THROW(engine->AddUpLoadFile(), ComError);
    // The adapter's first binding has no service yet: the database alone makes the engine ready.
    const std::string database = dir.File("prog/alice/uploaddb.db");
    engine->Init("alice", "", "", 0, "", database);
    EXPECT_EQ(engine->GetState(), 0);
    EXPECT_EQ(engine->GetActiveTaskCount(), 0);
    auto task = engine->AddUpLoadFile();
    ASSERT_TRUE(task);
    task->PutfileName(dir.File("missing.bin"));
    EXPECT_EQ(task->GetDisplayName(), "missing.bin");
    EXPECT_EQ(task->GetState(), OrvULD::ORV_SESSION_STATE_READY);
    // Starting needs an upload service.
    EXPECT_THROW(engine->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID), ComError);
}

TEST(EngineContractTest, TasksOutliveTheEngineObjectAndListsAreSeparatePerKind) {
    EngineLibrary library;
    TempDir dir;
    ComPtr<OrvULD::IOrvFileInfo> task;
    int32_t id = 0;
    {
        auto engine = library.CreateUpload();
        engine->Init("alice", "", "", 0, "", dir.File("uploaddb.db"));
        task = engine->AddUpLoadFile();
        id = task->GetFileID();
        EXPECT_TRUE(engine->GetFileList()->Find(id));
        EXPECT_FALSE(engine->GetDownLoadList()->Find(id));
        EXPECT_EQ(engine->GetFileList()->Count(), 1);
        EXPECT_FALSE(engine->GetFileList()->Item(1));
        EXPECT_FALSE(engine->GetFileList()->Item(-1));
    }
    EXPECT_EQ(task->GetFileID(), id);
    EXPECT_EQ(task->GetState(), OrvULD::ORV_SESSION_STATE_READY);
}

TEST(EngineContractTest, TasksPersistWithTheirDescriptionAndIdsKeepIncreasingAfterReopening) {
    EngineLibrary library;
    TempDir dir;
    const std::string database = dir.File("uploaddb.db");
    int32_t first = 0;
    {
        auto engine = library.CreateUpload();
        engine->Init("alice", "", "", 0, "", database);
        auto task = engine->AddUpLoadFile();
        task->PutfileName("/nowhere/a.txt");
        task->PutFileSize(42);
        first = task->GetFileID();
    }
    auto engine = library.CreateUpload();
    engine->Init("alice", "", "", 0, "", database);
    auto list = engine->GetFileList();
    ASSERT_EQ(list->Count(), 1);
    auto task = list->Find(first);
    ASSERT_TRUE(task);
    EXPECT_EQ(task->GetfileName(), "/nowhere/a.txt");
    EXPECT_EQ(task->GetFileSize(), 42u);
    EXPECT_GT(engine->AddUpLoadFile()->GetFileID(), first);
}

}  // namespace
}  // namespace nimbra::engine
