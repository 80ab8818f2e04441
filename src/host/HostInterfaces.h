#pragma once
// The host components the upload component calls, each in slot order.

#include <string>
#include <vector>

#include "host/IUSBase.h"

// Main window: slot 5 its window, slot 10 the Flash call, slot 34 apply a downloaded skin.
class NIMBRA_EXPORT IUICMainWnd : public IUICComponent {
public:
    NIMBRA_RESERVED_SLOT(9)
    virtual long CallFlash(const std::string& request, std::string& reply) = 0;
    NIMBRA_RESERVED_SLOT(11)
    NIMBRA_RESERVED_SLOT(12)
    NIMBRA_RESERVED_SLOT(13)
    NIMBRA_RESERVED_SLOT(14)
    NIMBRA_RESERVED_SLOT(15)
    NIMBRA_RESERVED_SLOT(16)
    NIMBRA_RESERVED_SLOT(17)
    NIMBRA_RESERVED_SLOT(18)
    NIMBRA_RESERVED_SLOT(19)
    NIMBRA_RESERVED_SLOT(20)
    NIMBRA_RESERVED_SLOT(21)
    NIMBRA_RESERVED_SLOT(22)
    NIMBRA_RESERVED_SLOT(23)
    NIMBRA_RESERVED_SLOT(24)
    NIMBRA_RESERVED_SLOT(25)
    NIMBRA_RESERVED_SLOT(26)
    NIMBRA_RESERVED_SLOT(27)
    NIMBRA_RESERVED_SLOT(28)
    NIMBRA_RESERVED_SLOT(29)
    NIMBRA_RESERVED_SLOT(30)
    NIMBRA_RESERVED_SLOT(31)
    NIMBRA_RESERVED_SLOT(32)
    NIMBRA_RESERVED_SLOT(33)
    virtual long ApplySkin(long skinId) = 0;
};

// Network-disk page: slot 5 its window, slot 11 the Flash call, slot 13 the free-space notice.
class NIMBRA_EXPORT IUICNetDisk : public IUICComponent {
public:
    NIMBRA_RESERVED_SLOT(9)
    NIMBRA_RESERVED_SLOT(10)
    virtual long CallFlash(const std::string& request, std::string& reply) = 0;
    NIMBRA_RESERVED_SLOT(12)
    virtual void ShowSpaceInsufficient() = 0;
};

// Login component.
class NIMBRA_EXPORT IUICLogin : public IUICComponent {
public:
    NIMBRA_RESERVED_SLOT(9)
    NIMBRA_RESERVED_SLOT(10)
    NIMBRA_RESERVED_SLOT(11)
    // Slot 12: the account and the password of the signed-in user.
    virtual long GetAccountInfo(std::string& account, std::string& password) = 0;
    NIMBRA_RESERVED_SLOT(13)
    // Slot 14: a text chosen by a selector (1: sign-on text, 7: the editor's login ticket); -1 on failure.
    virtual long GetSelectedText(long selector, std::string& text) = 0;
    NIMBRA_RESERVED_SLOT(15)
    NIMBRA_RESERVED_SLOT(16)
    // Slot 17: renew the given sign-on text in place (a fresh one from the service when it expired).
    virtual long UpdateSignOn(std::string& signOn) = 0;
    // Slot 18: the login string handed to the engine on binding.
    virtual std::string GetLoginString() = 0;
    NIMBRA_RESERVED_SLOT(19)
    // Slot 20: the comma-separated list of words refused in tags and descriptions.
    virtual std::string GetUnsafeWords() = 0;
};

// Configuration record of the system configuration component.
struct tagSysConfig {
    std::string strUploadUrl;  // upload server address as a URL
    std::string strSignOn;     // sign-on text
};

// System configuration. Its configuration operation is its first own slot.
class NIMBRA_EXPORT IUISysConfig : public IUSBase {
public:
    virtual tagSysConfig GetSysConfig() = 0;
};

// Settings: slot 13 stores a named list of task ids on the service; -1 on failure.
class NIMBRA_EXPORT IUICSet : public IUICComponent {
public:
    NIMBRA_RESERVED_SLOT(9)
    NIMBRA_RESERVED_SLOT(10)
    NIMBRA_RESERVED_SLOT(11)
    NIMBRA_RESERVED_SLOT(12)
    virtual long StoreValue(const std::string& name, const std::vector<long>& ids) = 0;
};

// Language texts: slot 8 gives the text of a key in a section.
class NIMBRA_EXPORT IORVALang : public IUSBase {
public:
    NIMBRA_RESERVED_SLOT(4)
    NIMBRA_RESERVED_SLOT(5)
    NIMBRA_RESERVED_SLOT(6)
    NIMBRA_RESERVED_SLOT(7)
    virtual std::string GetLangString(const char* key, const char* section) = 0;
};
