// The host loads the component by file name and survives every way that can fail.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ComponentLoader.h"
#include "host/HostIds.h"

using nimbra::app::ComponentLoader;

namespace {

std::string FolderOf(const char* path) {
    return QFileInfo(path).absolutePath().toStdString() + "/";
}
std::string FileNameOf(const char* path) {
    return QFileInfo(path).fileName().toStdString();
}

TEST(ComponentLoader, AMissingLibraryLeavesAMessageNamingIt) {
    QTemporaryDir empty;
    ComponentLoader loader;
    EXPECT_EQ(loader.Load(empty.path().toStdString() + "/"), nullptr);
    EXPECT_NE(loader.Error().find("libUIUpload.so"), std::string::npos) << loader.Error();
    EXPECT_EQ(loader.Component(), nullptr);
}

TEST(ComponentLoader, AFileThatIsNoLibraryIsRefused) {
    QTemporaryDir folder;
    QFile broken(folder.filePath("libUIUpload.so"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an ELF file");
    broken.close();
    ComponentLoader loader;
    EXPECT_EQ(loader.Load(folder.path().toStdString() + "/"), nullptr);
    EXPECT_NE(loader.Error().find("cannot load"), std::string::npos) << loader.Error();
}

TEST(ComponentLoader, ALibraryWithoutTheEntryPointsIsRefused) {
    ComponentLoader loader;
    EXPECT_EQ(loader.Load(FolderOf(NIMBRA_FW_PATH), FileNameOf(NIMBRA_FW_PATH)), nullptr);
    EXPECT_NE(loader.Error().find("XSC entry points"), std::string::npos) << loader.Error();
}

#ifdef NIMBRA_COMPONENT_PATH
TEST(ComponentLoader, TheRealComponentGivesOutItsInterface) {
    ComponentLoader loader;
    IUICUpload* component = loader.Load(FolderOf(NIMBRA_COMPONENT_PATH), FileNameOf(NIMBRA_COMPONENT_PATH));
    ASSERT_NE(component, nullptr) << loader.Error();
    void* again = nullptr;
    EXPECT_EQ(component->QueryInterface(IID_IUICUpload, &again), 1);
    EXPECT_EQ(again, component);
    component->Release();
}
#endif

}  // namespace
