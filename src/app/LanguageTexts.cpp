#include "LanguageTexts.h"

#include <QDir>

#include "platform/CodePage.h"

namespace nimbra::app {

LanguageTexts::LanguageTexts(QString folder) : HostObject(IID_IORVALang), m_folder(std::move(folder)) {}

bool LanguageTexts::Use(const QString& language) {
    auto file = LanguageFile::Load(QDir(m_folder).filePath(language + ".lang").toStdString());
    if (!file)
        return false;
    m_file = std::move(*file);
    m_language = language;
    return true;
}

QStringList LanguageTexts::Languages() const {
    QStringList languages;
    for (const QString& name : QDir(m_folder).entryList({"*.lang"}, QDir::Files, QDir::Name))
        languages << name.chopped(5);
    return languages;
}

std::string LanguageTexts::GetLangString(const char* key, const char* section) {
    if (!key || !section)
        return {};
    const auto text = m_file.Text(section, key);
    return text ? Utf8ToGb18030(*text) : std::string();
}

QString LanguageTexts::Text(const char* section, const char* key) const {
    const auto text = m_file.Text(section, key);
    return text ? QString::fromStdString(*text) : QString::fromLatin1(key);
}

}  // namespace nimbra::app
