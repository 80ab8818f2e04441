#include "SysConfig.h"

#include "platform/CodePage.h"

namespace nimbra::app {

tagSysConfig SysConfig::GetSysConfig() {
    return {Utf8ToGb18030(m_session.Result().uploadUrl), m_session.Result().signOn};
}

}  // namespace nimbra::app
