#pragma once

#include <string>

namespace nimbra::service::test {

// Reads a document with a parser that holds to the XML standard (characters, encoding, structure): the
// first error it meets, or "" for a well-formed one.
std::string XmlError(const std::string& document);

}  // namespace nimbra::service::test
