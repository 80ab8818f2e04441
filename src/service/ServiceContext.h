#pragma once

#include <string>

#include "service/AccountSpace.h"
#include "service/AccountStore.h"
#include "service/Authenticator.h"
#include "service/CatalogStore.h"
#include "service/DataLayout.h"
#include "service/ServiceOptions.h"
#include "service/SettingsStore.h"
#include "service/SqliteDb.h"
#include "service/UploadStore.h"

namespace nimbra::service {

// What every endpoint of a running service shares.
struct ServiceContext {
    ServiceContext(const ServiceOptions& options, const DataLayout& layout)
        : options(options),
          layout(layout),
          db(layout.MetaDb()),
          accounts(db),
          catalogs(db),
          uploads(db),
          settings(db),
          space(accounts, catalogs, uploads, settings),
          auth(accounts) {}

    const ServiceOptions& options;
    const DataLayout& layout;
    SqliteDb db;
    AccountStore accounts;
    CatalogStore catalogs;
    UploadStore uploads;
    SettingsStore settings;
    AccountSpace space;
    Authenticator auth;
    std::string baseUrl;  // "http://127.0.0.1:PORT", known once bound
};

}  // namespace nimbra::service
