#include "platform/AppProfile.h"

#include <QSettings>

#include "platform/CodePage.h"

namespace {

QString SettingsKey(const char* section, const char* entry) {
    return ToQString(section) + '/' + ToQString(entry);
}

}  // namespace

std::string GetProfileString(const char* section, const char* entry, const char* defaultValue) {
    const std::string fallback = defaultValue ? defaultValue : "";
    if (!section || !entry) {
        return fallback;
    }
    const QSettings settings(QStringLiteral("Nimbra"), QStringLiteral("Nimbra"));
    const QVariant value = settings.value(SettingsKey(section, entry));
    return value.isValid() ? FromQString(value.toString()) : fallback;
}

bool WriteProfileString(const char* section, const char* entry, const char* value) {
    if (!section || !entry) {
        return false;
    }
    QSettings settings(QStringLiteral("Nimbra"), QStringLiteral("Nimbra"));
    if (value) {
        settings.setValue(SettingsKey(section, entry), ToQString(value));
    } else {
        settings.remove(SettingsKey(section, entry));
    }
    settings.sync();
    return settings.status() == QSettings::NoError;
}
