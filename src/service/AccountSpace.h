#pragma once

#include <cstdint>

#include "service/AccountStore.h"
#include "service/CatalogStore.h"
#include "service/SettingsStore.h"
#include "service/UploadStore.h"

namespace nimbra::service {

// What an account may still store: its quota less every byte it holds (its files with their thumbnails,
// the announced lengths of its unfinished uploads with their thumbnails, its settings). A check and the
// write it allows belong in one transaction, so that parallel requests cannot overbook.
class AccountSpace final {
public:
    AccountSpace(AccountStore& accounts, CatalogStore& catalogs, UploadStore& uploads,
                 SettingsStore& settings)
        : m_accounts(accounts), m_catalogs(catalogs), m_uploads(uploads), m_settings(settings) {}

    // Negative when the quota was lowered below what is stored.
    int64_t Spare(int64_t accountId) {
        return m_accounts.Quota(accountId) - m_catalogs.UsedBytes(accountId) -
               m_uploads.ReservedBytes(accountId) - m_settings.StoredBytes(accountId);
    }

private:
    AccountStore& m_accounts;
    CatalogStore& m_catalogs;
    UploadStore& m_uploads;
    SettingsStore& m_settings;
};

}  // namespace nimbra::service
