#pragma once
// The nine skins of the main window as Qt style sheets: shipped ones in skins/<name>.qss, downloaded
// ones unpacked by the component into skin/<name>/skin.qss (both under the program folder).

#include <QString>
#include <optional>

namespace nimbra::app {

class SkinStyles final {
public:
    static constexpr long kCount = 9;

    explicit SkinStyles(QString programDir) : m_programDir(std::move(programDir)) {}

    // The skin's folder and archive name; unknown ids are the blue skin, as the component names them.
    static QString Name(long skinId);
    // The language key of the skin's display name (section MAINWND).
    static const char* NameKey(long skinId);
    // The style sheet of an installed skin, the downloaded one first; nullopt when not installed.
    std::optional<QString> StyleSheet(long skinId) const;

private:
    QString m_programDir;
};

}  // namespace nimbra::app
