#include "uic/UICUploadFile/upload/ContentType.h"

#include <QMimeDatabase>

#include "platform/CodePage.h"

std::string GetContentType(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    // Only extensions are registered: a name without a dot names no file type.
    if (dot == std::string::npos) {
        return "null";
    }
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(QStringLiteral("x") + ToQString(path.substr(dot)),
                                                    QMimeDatabase::MatchExtension);
    return type.isDefault() ? "null" : FromQString(type.name());
}
