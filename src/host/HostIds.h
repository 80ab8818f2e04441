#pragma once
// Identifiers the host fixes for its interfaces and the component's, and the notification ids.

#include <cstdint>

#include "platform/WinTypes.h"

inline constexpr GUID IID_IUICUpload = {
    0x52641DEF, 0x0969, 0x4FDB, {0xB8, 0x8C, 0x16, 0x65, 0xF3, 0x8F, 0xC4, 0x07}};
inline constexpr GUID IID_IUICMainWnd = {
    0xA44B3C22, 0x53E1, 0x45DD, {0xAD, 0x18, 0x20, 0x6D, 0x35, 0x97, 0x84, 0x19}};
inline constexpr GUID IID_IUICLogin = {
    0xB7D0F1A7, 0xCEB3, 0x440F, {0x93, 0xA1, 0xCD, 0xCB, 0xE3, 0xF9, 0xD6, 0x06}};
inline constexpr GUID IID_IUISysConfig = {
    0x51BFB0D5, 0x1012, 0x428C, {0x83, 0x7D, 0xE3, 0xFF, 0xE9, 0x7F, 0x9F, 0xAF}};
inline constexpr GUID IID_IUICNetDisk = {
    0x672BD643, 0xD447, 0x455A, {0x8F, 0x92, 0x6F, 0xCD, 0xB1, 0x87, 0x2C, 0x7A}};
inline constexpr GUID IID_IUICSet = {
    0x988C6B1A, 0x2C7D, 0x4A3D, {0x86, 0x03, 0x93, 0xF7, 0x01, 0x38, 0x99, 0x10}};
inline constexpr GUID IID_IORVALang = {
    0x399C4342, 0x4C22, 0x4530, {0x83, 0x65, 0x9A, 0xC4, 0x2E, 0x64, 0x90, 0xF0}};

// Host notifications delivered to a subscribed callback.
inline constexpr uint32_t NTF_PLUGIN_DEREGISTER = 0x10001000;
inline constexpr uint32_t NTF_LOGIN_SUCCEEDED = 0x10001;
inline constexpr uint32_t NTF_LOGOUT = 0x10002;
inline constexpr uint32_t NTF_LOGOUT_OTHER = 0x10004;
inline constexpr uint32_t NTF_NETWORK_CONNECTED = 0x10006;
inline constexpr uint32_t NTF_NETWORK_DISCONNECTED = 0x10007;

// Component notifications the host passes to OnComponentNotify.
inline constexpr long COMP_NTF_START_DOWNLOAD = 3004;
inline constexpr long COMP_NTF_START_UPLOAD = 3005;

// Results of the notification callback.
inline constexpr long XSC_NTF_HANDLED = 0x40000002;
inline constexpr long XSC_NTF_NO_COMPONENT = 0x40000001;
