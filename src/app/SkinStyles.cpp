#include "SkinStyles.h"

#include <QFile>

namespace nimbra::app {

namespace {

struct Skin {
    const char* name;
    const char* key;
};

constexpr Skin kSkins[SkinStyles::kCount] = {
    {"blue", "IDC_MAINWND_SKIN_BLUE"},   {"purple", "IDC_MAINWND_SKIN_PURPLE"},
    {"green", "IDC_MAINWND_SKIN_GREE"},  {"apple", "IDC_MAINWND_SKIN_APPLE"},
    {"bluei", "IDC_MAINWND_SKIN_BLUEI"}, {"blueii", "IDC_MAINWND_SKIN_BLUEII"},
    {"pink", "IDC_MAINWND_SKIN_PINK"},   {"salmon", "IDC_MAINWND_SKIN_SALMON"},
    {"sand", "IDC_MAINWND_SKIN_SAND"}};

const Skin& SkinOf(long skinId) {
    return kSkins[skinId >= 0 && skinId < SkinStyles::kCount ? skinId : 0];
}

std::optional<QString> ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

}  // namespace

QString SkinStyles::Name(long skinId) {
    return QString::fromLatin1(SkinOf(skinId).name);
}

const char* SkinStyles::NameKey(long skinId) {
    return SkinOf(skinId).key;
}

std::optional<QString> SkinStyles::StyleSheet(long skinId) const {
    const QString name = Name(skinId);
    if (auto downloaded = ReadText(m_programDir + "skin/" + name + "/skin.qss"))
        return downloaded;
    return ReadText(m_programDir + "skins/" + name + ".qss");
}

}  // namespace nimbra::app
