#include "engine/OrvFileInfo.h"

namespace nimbra::engine {

OrvFileInfo::OrvFileInfo(std::shared_ptr<TransferEngine> engine, std::shared_ptr<Task> task)
    : m_engine(std::move(engine)), m_task(std::move(task)) {}

void OrvFileInfo::PutFileDescription(const std::string& text) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.description = text; });
}

void OrvFileInfo::PutComlexFlag(bool flag) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.complexFlag = flag; });
}

void OrvFileInfo::PutComlexCID(const std::string& id) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.complexCid = id; });
}

void OrvFileInfo::PutAppType(const std::string& type) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.appType = type; });
}

void OrvFileInfo::PutParentCatalogID(const std::string& id) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.parentCatalogId = id; });
}

void OrvFileInfo::PutNewCataLogName(const std::string& name) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.newCatalogName = name; });
}

void OrvFileInfo::PutTag(const std::string& tag) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.tag = tag; });
}

void OrvFileInfo::PutMiniatureFileName(const std::string& path) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.miniaturePath = path; });
}

void OrvFileInfo::PutMiniatureFileSize(uint64_t size) {
    m_engine->Describe(*m_task, [&](TaskRecord& r) { r.miniatureSize = size; });
}

void OrvFileInfo::PutSSOKey(const std::string& key) {
    m_task->SetSignOn(key);
}

}  // namespace nimbra::engine
