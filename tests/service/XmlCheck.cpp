#include "XmlCheck.h"

#include <QByteArray>
#include <QXmlStreamReader>

namespace nimbra::service::test {

std::string XmlError(const std::string& document) {
    QXmlStreamReader reader(QByteArray::fromStdString(document));
    while (!reader.atEnd())
        reader.readNext();
    return reader.hasError() ? reader.errorString().toStdString() : std::string();
}

}  // namespace nimbra::service::test
