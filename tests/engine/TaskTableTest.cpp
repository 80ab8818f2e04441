#include "engine/TaskTable.h"

#include <gtest/gtest.h>

namespace nimbra::engine {
namespace {

std::shared_ptr<Task> MakeTask(int32_t id, TaskKind kind) {
    TaskRecord r;
    r.id = id;
    r.kind = kind;
    return std::make_shared<Task>(r);
}

TEST(TaskTableTest, ListsKeepCreationOrderPerKindAndFindOnlyTheirOwnTasks) {
    TaskTable table;
    table.Add(MakeTask(2, TaskKind::Upload));
    table.Add(MakeTask(1, TaskKind::Upload));
    table.Add(MakeTask(3, TaskKind::Download));
    const auto uploads = table.List(TaskKind::Upload);
    ASSERT_EQ(uploads->Count(), 2u);
    EXPECT_EQ(uploads->At(0)->Id(), 1);
    EXPECT_EQ(uploads->At(1)->Id(), 2);
    EXPECT_EQ(uploads->At(2), nullptr);
    EXPECT_EQ(uploads->Find(3), nullptr);  // a download id is not an upload
    EXPECT_EQ(table.List(TaskKind::Download)->Find(3)->Id(), 3);
}

TEST(TaskTableTest, ASnapshotStaysAsItWasWhileTheTableChanges) {
    TaskTable table;
    table.Add(MakeTask(1, TaskKind::Upload));
    const auto before = table.List(TaskKind::Upload);
    EXPECT_EQ(table.List(TaskKind::Upload), before);  // unchanged table: same snapshot, nothing rebuilt
    table.Add(MakeTask(2, TaskKind::Upload));
    table.Remove(1);
    EXPECT_EQ(before->Count(), 1u);
    EXPECT_EQ(before->Find(1)->Id(), 1);
    const auto after = table.List(TaskKind::Upload);
    ASSERT_EQ(after->Count(), 1u);
    EXPECT_EQ(after->At(0)->Id(), 2);
    EXPECT_EQ(after->Find(1), nullptr);
}

TEST(TaskTest, EditPublishesStateProgressAndErrorToReaders) {
    Task task(TaskRecord{});
    task.Edit([](TaskRecord& r) {
        r.state = OrvULD::ORV_SESSION_STATE_FAIL;
        r.offset = 10;
        r.size = 6ull << 30;
        r.errorCode = 8000;
    });
    EXPECT_EQ(task.State(), OrvULD::ORV_SESSION_STATE_FAIL);
    EXPECT_EQ(task.Progress(), 10u);
    EXPECT_EQ(task.Size(), 6ull << 30);
    EXPECT_EQ(task.ErrorCode(), 8000);
    task.SetLiveProgress(20);
    EXPECT_EQ(task.Progress(), 20u);
    task.Edit([](TaskRecord&) {});  // the confirmed offset replaces bytes only in flight
    EXPECT_EQ(task.Progress(), 10u);
}

TEST(TaskTest, ATaskIsCountedAsSynchronisingExactlyWhileItsStateSaysSo) {
    auto synchronising = std::make_shared<std::atomic<int32_t>>(0);
    Task a(TaskRecord{}, synchronising);
    Task b(TaskRecord{}, synchronising);
    const auto setState = [](Task& task, OrvULD::ORV_UPLOAD_SESSION_STATE state) {
        task.Edit([&](TaskRecord& r) { r.state = state; });
    };
    setState(a, OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD);
    setState(b, OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD);
    setState(a, OrvULD::ORV_SESSION_STATE_WAIT_SYNC_UPLOAD);  // no change, no second count
    EXPECT_EQ(synchronising->load(), 2);
    setState(a, OrvULD::ORV_SESSION_STATE_SYNC_UPLOADED);
    EXPECT_EQ(synchronising->load(), 1);
    setState(b, OrvULD::ORV_SESSION_STATE_PAUSE);
    EXPECT_EQ(synchronising->load(), 0);
}

}  // namespace
}  // namespace nimbra::engine
