#pragma once

// The binary interface of the download engine libxldl.so: two fixed-layout records and
// seventeen entry points with C linkage. The client (DownWrapper) loads the library at
// run time and resolves the entry points by name; the layouts are part of the contract,
// so every offset is checked at compile time on both sides.
//
// Records are little-endian; strings are UTF-16 (char16_t), NUL-terminated.

#include <cstddef>
#include <cstdint>

extern "C" {

// Task states as the engine reports them. A handle the engine does not know (null,
// stale, or from before XL_UnInit) reports kXlFailed, so that a client waiting for a
// task to end never waits for one that does not exist; kXlNoSuchTask is never reported.
enum XlTaskStatus : std::int32_t {
    kXlNoSuchTask = 0,
    kXlFailed = 1,
    kXlPaused = 2,
    kXlDownloading = 3,
    kXlComplete = 4,
    kXlStarting = 5,
    kXlStopping = 6,
};

// What the client passes to XL_CreateTask and XL_DelTempFile (26,564 bytes).
struct XlTaskParam {
    std::int32_t reserved0;
    char16_t url[2084];
    char16_t referring_page[2084];
    char16_t cookies[4096];
    char16_t file_name[260];
    char16_t reserved1[260];
    char16_t save_folder[260];
    std::uint32_t reserved_handle;
    std::int32_t reserved2;
    char16_t reserved3[64];
    char16_t reserved4[64];
    std::int32_t only_from_given_address;
    std::int32_t reserved5;  // the client sets 5
    std::int32_t disable_auto_rename;
    std::int32_t resume;
    std::uint8_t reserved6[8192];
};

#pragma pack(push, 1)
// What XL_QueryTaskInfoEx fills (1,429 bytes, packed).
struct XlTaskInfo {
    std::int32_t status;     // XlTaskStatus
    std::int32_t fail_code;  // the engine's own code when failed; 0 otherwise
    char16_t file_name[260];
    std::uint8_t reserved0[520];
    std::int64_t total_size;       // bytes; 0 while unknown
    std::int64_t downloaded_size;  // bytes so far
    float progress;                // 0.0 to 1.0
    std::uint8_t reserved1[96];
    std::uint8_t reserved2;
    std::int32_t reserved3;
    std::uint8_t reserved4[260];
};
#pragma pack(pop)

// What XL_SetProxy takes; type 0 is no proxy, 1 HTTP, 2 SOCKS5.
struct XlProxyInfo {
    std::int32_t type;
    char16_t host[2048];
    std::int32_t port;
    char16_t user[50];
    char16_t password[50];
};

using XlTaskHandle = void*;
using XlBool = std::int32_t;  // nonzero: true

// The entry points, as function types; DownWrapper holds one pointer per name.
using XL_Init_t = XlBool();
using XL_UnInit_t = XlBool();
using XL_CreateTask_t = XlTaskHandle(const XlTaskParam* param);
using XL_DeleteTask_t = XlBool(XlTaskHandle task);
using XL_StartTask_t = XlBool(XlTaskHandle task);
using XL_StopTask_t = XlBool(XlTaskHandle task);
using XL_QueryTaskInfo_t = XlBool(XlTaskHandle task, XlTaskInfo* info);
using XL_QueryTaskInfoEx_t = XlBool(XlTaskHandle task, XlTaskInfo* info);
using XL_SetSpeedLimit_t = void(std::int32_t kib_per_second);
using XL_SetUploadSpeedLimit_t = void(std::int32_t tcp_kib_per_second,
                                      std::int32_t other_kib_per_second);
using XL_DelTempFile_t = XlBool(const XlTaskParam* param);
using XL_SetProxy_t = XlBool(const XlProxyInfo* proxy);
using XL_SetUserAgent_t = void(const char16_t* user_agent);
using XL_GetFileSizeWithUrl_t = XlBool(const char16_t* url, std::int64_t* size);
using XL_ParseThunderPrivateUrl_t = XlBool(const char16_t* private_url, char16_t* plain_url,
                                           std::int32_t capacity);
using XL_SetAdditionInfo_t = XlBool(XlTaskHandle task, const char* info, std::int32_t length);
using XL_SetFileIdAndSize_t = XlBool(XlTaskHandle task, const char file_id[40], std::int64_t size);

}  // extern "C"

static_assert(sizeof(XlTaskParam) == 26564);
static_assert(offsetof(XlTaskParam, url) == 4);
static_assert(offsetof(XlTaskParam, referring_page) == 4172);
static_assert(offsetof(XlTaskParam, cookies) == 8340);
static_assert(offsetof(XlTaskParam, file_name) == 16532);
static_assert(offsetof(XlTaskParam, reserved1) == 17052);
static_assert(offsetof(XlTaskParam, save_folder) == 17572);
static_assert(offsetof(XlTaskParam, reserved_handle) == 18092);
static_assert(offsetof(XlTaskParam, reserved2) == 18096);
static_assert(offsetof(XlTaskParam, reserved3) == 18100);
static_assert(offsetof(XlTaskParam, reserved4) == 18228);
static_assert(offsetof(XlTaskParam, only_from_given_address) == 18356);
static_assert(offsetof(XlTaskParam, reserved5) == 18360);
static_assert(offsetof(XlTaskParam, disable_auto_rename) == 18364);
static_assert(offsetof(XlTaskParam, resume) == 18368);
static_assert(offsetof(XlTaskParam, reserved6) == 18372);

static_assert(sizeof(XlTaskInfo) == 1429);
static_assert(offsetof(XlTaskInfo, status) == 0);
static_assert(offsetof(XlTaskInfo, fail_code) == 4);
static_assert(offsetof(XlTaskInfo, file_name) == 8);
static_assert(offsetof(XlTaskInfo, total_size) == 1048);
static_assert(offsetof(XlTaskInfo, progress) == 1064);
static_assert(offsetof(XlTaskInfo, reserved2) == 1164);
static_assert(offsetof(XlTaskInfo, reserved3) == 1165);
