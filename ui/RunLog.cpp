#include "ui/RunLog.h"

#include "app/f_GlobalVar.h"
#include "app/f_Logger.h"

#include <windows.h>

#include <stdexcept>

void LogRunLine(const wchar_t* prefix, const std::wstring& msg) {
    if (!g_Logger) return;
    // A log that cannot be written must not end the download it reports on.
    try {
        g_Logger->WriteLog(std::wstring(prefix) + msg, llInformation);
    } catch (const std::exception&) {
        OutputDebugStringW(L"Tallyvo: the download log line could not be written\n");
    }
}
