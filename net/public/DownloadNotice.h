#pragma once
// What both download runs hand their caller: a notification's record, and the move of the
// finished temporary file into place with its failure texts.
#include <cstdint>
#include <string>

#include "net/HttpClientIntf.h"

struct TNoticeFigures {
    int64_t Downloaded = 0;
    int64_t Total = 0;
    int64_t RemainingMs = 0;
    int64_t Speed = 0;
};

// The record of one notification; its short texts in code page 936, at most 16 bytes.
THttpDownloadInfo MakeDownloadInfo(TDownloadState state, int32_t tag, const TNoticeFigures& figures,
                                   const std::wstring& msg, int32_t result);

// Replaces savePath by tempName; false with the failure's text in failText.
bool MoveDownloadIntoPlace(const std::wstring& tempName, const std::wstring& savePath, std::wstring& failText);
