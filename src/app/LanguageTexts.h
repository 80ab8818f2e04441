#pragma once
// The host's language component (IORVALang): texts of the chosen language file, handed to the upload
// component in its code page (GB18030) and to the host's own widgets as QString.

#include <QString>
#include <QStringList>
#include <string>

#include "host/HostObject.h"
#include "LanguageFile.h"
#include "host/HostIds.h"
#include "host/HostInterfaces.h"

namespace nimbra::app {

class LanguageTexts final : public HostObject<IORVALang> {
public:
    // folder holds one "<language>.lang" file per language.
    explicit LanguageTexts(QString folder);

    // Switches to a language; false (and the previous texts kept) when its file cannot be read.
    bool Use(const QString& language);
    const QString& Language() const { return m_language; }
    QStringList Languages() const;

    // Slot 8: the text of key in section in GB18030, empty when unknown.
    std::string GetLangString(const char* key, const char* section) override;

    // The host's own texts; an unknown key shows as the key itself so that a gap is visible.
    QString Text(const char* section, const char* key) const;
    QString Host(const char* key) const { return Text("HOST", key); }

private:
    QString m_folder;
    QString m_language;
    LanguageFile m_file;
};

}  // namespace nimbra::app
