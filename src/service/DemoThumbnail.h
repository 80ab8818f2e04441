#pragma once

#include <string_view>

namespace nimbra::service {

// The picture the demo account shows as its photo and thumbnail.
std::string_view DemoThumbnailJpeg();

}  // namespace nimbra::service
