// What an earlier run left is worth (a part continued from the line that still serves its file,
// or deleted), and what this run leaves for the next one.
#include "net/public/TransferCoordinator.h"

#include <winioctl.h>

#include <algorithm>

#include "net/public/DateTimeUtils.h"

namespace transfer {

namespace {
const wchar_t kTooLarge[] = L"超过下载文件大小限制！";
}  // namespace

bool TCoordinator::Prepare() {
    TSideRecord side;
    const bool sideRead = ReadSideFile(S.SideName, side);
    const std::wstring work = sideRead && side.HasRanges && sys::PathExists(S.PartName) ? S.PartName : S.TempName;
    TByteRanges have;
    bool resume = sideRead && Reference().Info.ContentLength > 0 && ResumableFrom(side, work, have);
    if (!resume && sideRead && sys::PathExists(work)) resume = AdoptLineOfThePart(side, work, have);
    const TRemoteFileInfo& info = Reference().Info;
    if (info.ContentLength > S.Client->GetMaxFileSize()) {
        Fail(kTooLarge);
        return false;
    }
    if (sys::PathExists(S.SavePath) && sys::FileSize(S.SavePath) == info.ContentLength &&
        FileWriteDateTime(S.SavePath) == info.LastModified) {
        FOut.Result = 0;
        FOut.UpToDate = true;
        return false;
    }
    if (resume && have.Covers(info.ContentLength)) {
        // An earlier run received everything: only the move into place is left.
        if (work == S.PartName) MoveFileExW(S.PartName.c_str(), S.TempName.c_str(), MOVEFILE_REPLACE_EXISTING);
        StampLastModified(S.TempName);
        FOut.Result = 0;
        FOut.Downloaded = info.ContentLength;
        return false;
    }
    FSide.ContentLen = info.ContentLength;
    FSide.LastModified = FormatDateTime(info.LastModified);
    FSide.Lines = {{S.Lines[S.Reference]->Host, Reference().ETag,
                    info.LastModified != 0 ? FSide.LastModified : std::wstring()}};
    if (!OpenPart(resume, work, have)) return false;
    FSide.Have = have;
    WriteSide();
    S.Total = info.ContentLength;
    return true;
}

// The checked line no longer serves the part's file: another line that still does carries the run
// instead, so a long partial download is not thrown away for one mirror's other copy. Mirrors
// synced without dates carry the same file under other validators: there the part's first bytes
// tell.
bool TCoordinator::AdoptLineOfThePart(const TSideRecord& side, const std::wstring& work, TByteRanges& have) {
    const int checked = S.Reference;
    for (size_t i = 0; i < S.Lines.size(); ++i) {
        TLine& line = *S.Lines[i];
        if (static_cast<int>(i) == checked || line.Standby) continue;
        FHeads[i] = Ask(static_cast<int>(i));
        if (!WaitUnlessStopped(*FHeads[i], S)) return false;
        line.Answer = FHeads[i]->Result();
        FHeads[i].reset();
        if (line.Answer.Ok && AnnouncesRecordedFile(line.Answer, side, S.LengthAloneResumes) &&
            PartRanges(side, work, have))
            return Adopt(static_cast<int>(i), checked);
    }
    std::string start;
    if (!PartRanges(side, work, have) || !ReadPartStart(work, have, start)) return false;
    for (size_t n = 0; n < S.Lines.size(); ++n) {
        const int i = (checked + static_cast<int>(n)) % static_cast<int>(S.Lines.size());
        const TLine& line = *S.Lines[i];
        if (!line.Answer.Ok || line.Answer.Info.ContentLength != side.ContentLen) continue;
        sys::TTask<bool> compare([run = FShared, i, start](const sys::TStopToken& stop) {
            return LineStartsWith(run, i, start, stop);
        });
        if (!WaitUnlessStopped(compare, S)) return false;
        if (compare.Result()) return Adopt(i, checked);
    }
    return false;
}

bool TCoordinator::Adopt(int index, int checked) {
    S.Reference = index;
    TLine& line = *S.Lines[index];
    line.Status = TLineStatus::Joined;
    line.Cap = S.ConnectionsPerLine;
    if (index != checked) S.Lines[checked]->Status = TLineStatus::Waiting;
    return true;
}

// The part belongs to the file the reference announces, and its bytes are where the record says.
bool TCoordinator::ResumableFrom(const TSideRecord& side, const std::wstring& work, TByteRanges& have) const {
    return AnnouncesRecordedFile(Reference(), side, S.LengthAloneResumes) && PartRanges(side, work, have);
}

bool TCoordinator::PartRanges(const TSideRecord& side, const std::wstring& work, TByteRanges& have) const {
    if (!sys::PathExists(work)) return false;
    if (side.HasRanges && work == S.PartName) {
        have = side.Have;
        return !have.Empty();
    }
    const int64_t size = sys::FileSize(work);
    if (size <= 0 || size > side.ContentLen) return false;
    have = TByteRanges();
    have.Add(0, size - 1);
    return true;
}

bool TCoordinator::OpenPart(bool resume, const std::wstring& work, TByteRanges& have) {
    if (resume && work == S.TempName && !MoveFileExW(S.TempName.c_str(), S.PartName.c_str(), MOVEFILE_REPLACE_EXISTING))
        resume = false;
    TFileHandle file;
    if (resume)
        file.Reset(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // Whatever was there cannot be continued: a part that vanished is not refilled from 0.
        have = TByteRanges();
        sys::DeleteIfExists(S.PartName);
        if (sys::PathExists(S.TempName) && !DeleteFileW(S.TempName.c_str())) {
            Fail(L"创建下载文件失败:" + sys::SysErrorMessage(::GetLastError()));
            return false;
        }
        file.Reset(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Fail(L"创建下载文件失败:" + sys::SysErrorMessage(::GetLastError()));
            return false;
        }
        // Pieces land far apart: without sparse ranges NTFS would first fill the gap with zeros.
        DWORD returned = 0;
        DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    }
    S.Board.Open(std::move(file), Reference().Info.ContentLength, have, S.Client->GetMaxFileSize());
    return true;
}

void TCoordinator::StampLastModified(const std::wstring& name) const {
    const TRemoteFileInfo& info = Reference().Info;
    FILETIME lastWrite;
    if (info.LastModified == 0 || !SystemTimeToFileTime(&info.LastModifiedSt, &lastWrite)) return;
    TFileHandle file(CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFileTime(file.Get(), nullptr, nullptr, &lastWrite);
}

// A part without holes goes back to the plain temporary name (an older launcher reads that as one
// range from 0); one with holes keeps the name no launcher mistakes for a whole file.
void TCoordinator::Conclude() {
    const TByteRanges have = S.Board.Close();
    FOut.Downloaded = have.Bytes();
    if (FFatal.Discard) {
        sys::DeleteIfExists(S.PartName);
        sys::DeleteIfExists(S.TempName);
        sys::DeleteIfExists(S.SideName);
        return;
    }
    FSide.ContentLen = std::max<int64_t>(FSide.ContentLen, S.Board.Total());
    FSide.Have = have;
    if (have.Empty()) {
        sys::DeleteIfExists(S.PartName);
    } else if (have.IsPrefix()) {
        TFileHandle file(CreateFileW(S.PartName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = have.Ranges()[0].Last + 1;
        if (file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
        file.Reset();
        MoveFileExW(S.PartName.c_str(), S.TempName.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    WriteSide();
    if (!FSucceeded) return;
    StampLastModified(S.TempName);
    FOut.Result = 0;
}
}  // namespace transfer
