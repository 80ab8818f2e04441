// The host with the real component, engine and nimbra-diskd, loaded from the build's program folder as
// `nimbra` loads them: the page's Download button for one file, several files and a folder, and the
// language switch reaching the component's windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "HostStackTest.h"
#include "platform/CodePage.h"

using namespace nimbra::app;

namespace {

class HostComponentTest : public HostStackTest {
protected:
    static void SetUpTestSuite() { StartHost("host-component"); }
    static void TearDownTestSuite() { StopHost(); }
};

TEST_F(HostComponentTest, DownloadButtonFetchesOneFileSeveralFilesAndAFolder) {
    NetDiskPage& page = window->Page();
    const std::string catalogId = session->Disk().CreateCatalog("root", "Photos");
    ASSERT_TRUE(page.Reload() && page.SelectCatalog(catalogId));
    // Two files put on the service through the component, as a drop on the page.
    QDir local(work->filePath("local"));
    ASSERT_TRUE(local.mkpath("."));
    const std::map<QString, QByteArray> originals = {
        {"first.bin", QByteArray(300 * 1024 + 7, 'a')},
        {ToQString("第二.txt"), QByteArray("第二个文件\n").repeated(99)}};
    QStringList paths;
    for (const auto& [name, bytes] : originals) {
        QFile file(local.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        paths << file.fileName();
    }
    ASSERT_NE(page.UploadToCurrent(paths, {}), -1);
    ASSERT_TRUE(WaitFor([&] {
        std::string error;
        const auto files = session->Disk().Files(catalogId, error);
        return files && files->size() == originals.size();
    }));
    ASSERT_TRUE(page.Reload() && page.SelectCatalog(catalogId));
    auto* table = page.findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    const QString firstName = QString::fromStdString(page.Files().at(0).name);

    // One file: the save dialog, answered with another name of the same extension.
    table->clearSelection();
    table->selectRow(0);
    const QString single = work->filePath("copy-" + firstName);
    answerer->ExpectFileDialog(single);
    ASSERT_EQ(page.DownloadSelection(), 0);
    EXPECT_TRUE(answerer->Answered());
    ASSERT_TRUE(Downloaded(single));
    EXPECT_EQ(Bytes(single), originals.at(firstName));

    // Several files: the folder browser, then every file under its own name.
    QDir several(work->filePath("several"));
    ASSERT_TRUE(several.mkpath("."));
    table->clearSelection();
    table->selectionModel()->select(table->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    answerer->ExpectFileDialog(several.path());
    ASSERT_EQ(page.DownloadSelection(), 0);
    EXPECT_TRUE(answerer->Answered());
    // Nothing selected: the chosen catalog as a folder of its own name.
    QDir folder(work->filePath("folder"));
    ASSERT_TRUE(folder.mkpath("."));
    table->clearSelection();
    answerer->ExpectFileDialog(folder.path());
    ASSERT_EQ(page.DownloadSelection(), 0);
    EXPECT_TRUE(answerer->Answered());
    for (const auto& [name, bytes] : originals) {
        for (const QString& path : {several.filePath(name), folder.filePath("Photos/" + name)}) {
            ASSERT_TRUE(Downloaded(path)) << path.toStdString();
            EXPECT_EQ(Bytes(path), bytes) << path.toStdString();
        }
    }
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
}

// The visible top-level window with this title, if any.
QWidget* WindowTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    }
    return nullptr;
}

TEST_F(HostComponentTest, SwitchingLanguageRetitlesTheUploadDialogAndTheTransferList) {
    NetDiskPage& page = window->Page();
    ASSERT_EQ(page.ShowUploadDialog(), 0);
    ASSERT_EQ(page.ShowTransfers(), 0);
    QWidget* upload = WindowTitled(ToQString("上传文件"));
    QWidget* transfers = WindowTitled(ToQString("传输管理"));
    ASSERT_NE(upload, nullptr);
    ASSERT_NE(transfers, nullptr);

    window->SwitchLanguage("en");
    EXPECT_EQ(upload->windowTitle(), "Upload files");
    EXPECT_EQ(transfers->windowTitle(), "Transfer manager");
    window->SwitchLanguage("zh_CN");
    EXPECT_EQ(upload->windowTitle(), ToQString("上传文件"));
}

}  // namespace
