#include "net/public/HttpFileUtils.h"

#include "net/public/DateTimeUtils.h"

namespace {

bool QueryAttributes(const std::wstring& name, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) != FALSE;
}

}  // namespace

bool FileExistsEx(const std::wstring& name) {
    return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t GetFileSize64(const std::wstring& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!QueryAttributes(name, data)) return 0;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

TDateTime GetFileModifyTime(const std::wstring& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME st;
    if (!QueryAttributes(name, data) || !FileTimeToSystemTime(&data.ftLastWriteTime, &st)) return 0;
    return SystemTimeToDateTime(st);
}

TRemoteFileInfo _QueryFileInfo(HINTERNET request) {
    TRemoteFileInfo info;
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
        info.ContentLength = length;
    SYSTEMTIME st{};
    size = sizeof(st);
    if (HttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &size, nullptr))
        info.LastModified = SystemTimeToDateTime(st);
    info.LastModifiedSt = DateTimeToSystemTime(info.LastModified);
    return info;
}
