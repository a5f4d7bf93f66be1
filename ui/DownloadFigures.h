#pragma once
// The texts and the bar width of the progress page, from the figures of the latest progress
// notification. A total of 0 or less means the mirror announced no length (yet).
#include <cstdint>
#include <string>
#include <vector>

#include "net/HttpClientIntf.h"

// Rounded percentage of pos in total (total > 0), bounded to 0..100.
int DownloadPercent(int64_t pos, int64_t total);
// Width of the bar for that percentage over a track this wide.
int ProgressBarWidth(int percent, int trackWidth);
// The bar for pos of total: empty while no total is known.
int ProgressBarWidthFor(int64_t pos, int64_t total, int trackWidth);

// "正在下载(37%)"; while no total is known the amount received instead: "正在下载(12.50MB)".
std::wstring ProgressCaption(int64_t pos, int64_t total);

// What each line carried, for the log: "电信 12.00MB（4个连接），联通 11.00MB（4个连接）"; the lines in
// the order the download was given them, the first Telecom when telecomFirst. Lines that opened no
// connection are left out.
std::wstring LineReportText(const std::vector<TLineReport>& lines, bool telecomFirst);

// "1.50MB/s  剩余 00:01:01" from the notification's GBK texts; the time left reads "--:--:--"
// while no total is known.
std::wstring SpeedCaption(const std::string& speedText, const std::string& remainingText, bool totalKnown);
