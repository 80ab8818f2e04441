// The host with the real component, engine and nimbra-diskd, loaded from the build's program folder as
// `nimbra` loads them: the page's Download button for one file, several files and a folder, a target
// catalog chosen with a new folder and a file uploaded into it through the property dialog, and the
// language switch reaching the component's windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "FolderTree.h"
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

TEST_F(HostComponentTest, AFolderDroppedOnThePageComesBackWholeWithItsSubFoldersAndAnEmptyOne) {
    NetDiskPage& page = window->Page();
    const std::string parentId = session->Disk().CreateCatalog("root", "Trees");
    ASSERT_TRUE(page.Reload() && page.SelectCatalog(parentId));
    // The tree of the report: files two levels down, Chinese names and an empty folder.
    const QDir source(work->filePath("source/tree"));
    const std::map<QString, QByteArray> originals = {
        {"a.txt", QByteArray("top\n").repeated(10)},
        {ToQString("子目录A/b.txt"), QByteArray(70 * 1024, 'b')},
        {ToQString("子目录A/深层/c.txt"), QByteArray("深层\n").repeated(5)},
        {"subB/d.txt", QByteArray(3, 'd')}};
    for (const auto& [relative, bytes] : originals) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(source.filePath(relative)).path()));
        QFile file(source.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    ASSERT_TRUE(QDir().mkpath(source.filePath(ToQString("空"))));
    ASSERT_NE(page.UploadToCurrent({}, {source.path()}), -1);
    std::string treeId;
    ASSERT_TRUE(WaitFor([&] {
        std::string error;
        const auto catalogs = session->Disk().Catalogs(error);
        for (const CatalogNode& node : catalogs ? *catalogs : std::vector<CatalogNode>{}) {
            treeId = node.parentId == parentId && node.name == "tree" ? node.id : treeId;
        }
        const auto tree = treeId.empty() ? std::nullopt : ReadFolderTree(session->Disk(), treeId, error);
        return tree && tree->files.size() == originals.size() && tree->folders.size() == 4;
    }));

    // Nothing selected in the list: the catalog and everything below it.
    ASSERT_TRUE(page.Reload() && page.SelectCatalog(treeId));
    page.findChild<QTableWidget*>()->clearSelection();
    const QDir target(work->filePath("whole"));
    ASSERT_TRUE(target.mkpath("."));
    answerer->ExpectFileDialog(target.path());
    ASSERT_EQ(page.DownloadSelection(), 0);
    EXPECT_TRUE(answerer->Answered());
    for (const auto& [relative, bytes] : originals) {
        const QString path = target.filePath("tree/" + relative);
        ASSERT_TRUE(Downloaded(path)) << path.toStdString();
        EXPECT_EQ(Bytes(path), bytes) << path.toStdString();
    }
    EXPECT_TRUE(QDir(target.filePath(ToQString("tree/空"))).exists());
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

// The control of a component window with this dialog template id, as the component finds its own.
QWidget* Control(const QWidget* window, int id) {
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->property("ctrlId").toInt() == id)
            return child;
    }
    return nullptr;
}

void Click(const QWidget* window, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(window, id)))
        button->click();
}

void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

std::string CatalogId(HostSession& session, const std::string& parentId, const std::string& name) {
    std::string error;
    const auto nodes = session.Disk().Catalogs(error);
    if (!nodes)
        return {};
    const auto found = std::find_if(nodes->begin(), nodes->end(), [&](const CatalogNode& node) {
        return node.parentId == parentId && node.name == name;
    });
    return found == nodes->end() ? std::string() : found->id;
}

TEST_F(HostComponentTest,
       ANewFolderChosenAsTargetIsMadeOnTheServiceAndAFileUploadedThroughThePropertiesArrives) {
    NetDiskPage& page = window->Page();
    const std::string tripsId = session->Disk().CreateCatalog("root", "Trips");
    ASSERT_TRUE(page.Reload());
    // The component's dialogs here are answered by the test itself.
    answerer.reset();
    const QString folderName = QString::fromUtf8(Gb18030ToUtf8("海边 2024"));

    // The page's button opens the target catalog dialog; in it, New from the tree's context menu under
    // Trips, the name typed and Enter, then OK.
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* tree = dialog ? dialog->findChild<QTreeWidget*>() : nullptr;
        const auto trips = tree ? tree->findItems("Trips", Qt::MatchExactly | Qt::MatchRecursive)
                                : QList<QTreeWidgetItem*>();
        if (trips.size() == 1) {
            tree->setCurrentItem(trips.front());
            QTimer::singleShot(0, [] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    Key(menu, Qt::Key_Down);
                    Key(menu, Qt::Key_Return);
                }
            });
            emit tree->customContextMenuRequested(tree->visualItemRect(trips.front()).center());
            if (auto* editor = tree->findChild<QLineEdit*>()) {
                editor->setText(folderName);
                Key(editor, Qt::Key_Return);
                QApplication::processEvents();
            }
            Click(dialog, 10533);
        }
        if (dialog && dialog->isVisible())
            qobject_cast<QDialog*>(dialog)->reject();
    });
    ASSERT_EQ(page.ChooseTargetCatalog(), 0);
    const std::string madeId = CatalogId(*session, tripsId, folderName.toStdString());
    ASSERT_FALSE(madeId.empty()) << "no folder made under Trips";
    EXPECT_EQ(page.CurrentCatalogId(), madeId);
    EXPECT_EQ(page.findChild<QTreeWidget*>()->currentItem()->text(0), folderName);

    // The upload dialog starts in the page's folder; a file chosen, Next, and Upload now.
    answerer = std::make_unique<ModalAnswerer>();
    const QString file = work->filePath("notes.txt");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(QByteArray(70000, 'n')) == 70000);
    out.close();
    ASSERT_EQ(page.ShowUploadDialog(), 0);
    QWidget* upload = WindowTitled(ToQString("上传文件"));
    ASSERT_NE(upload, nullptr);
    answerer->ExpectFileDialog(file);
    Click(upload, 10550);
    ASSERT_TRUE(answerer->Answered());
    Click(upload, 10529);
    QWidget* property = WindowTitled(ToQString("文件属性"));
    ASSERT_NE(property, nullptr);
    EXPECT_FALSE(upload->isVisible());
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control(property, 10531))->text(),
              ToQString("我的网盘\\Trips\\") + folderName);
    Click(property, 10104);
    EXPECT_FALSE(property->isVisible());
    ASSERT_TRUE(WaitFor([&] {
        std::string error;
        const auto files = session->Disk().Files(madeId, error);
        return files && files->size() == 1 && files->front().name == "notes.txt" &&
               files->front().size == 70000;
    }));
    EXPECT_TRUE(answerer->Unexpected().isEmpty()) << answerer->Unexpected().join(", ").toStdString();
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
